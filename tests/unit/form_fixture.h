#pragma once
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/datetime.h"
#include "fakes/fake_platform.h"
#include "fakes/temp_folder.h"
#include "window_logic/tfmain.h"

// A window started over a settings file of its own (no file when `ini` is nullopt), for tables
// whose rows each need a fresh start.
struct FreshStart {
  explicit FreshStart(const std::optional<std::string>& ini,
                      std::vector<std::string> arguments = {}) {
    platform.exePath = folder.File("Datensicherung.exe");
    platform.arguments = std::move(arguments);
    if (ini) folder.Write("Datensicherung.ini", *ini);
    form.Dispatch(&TFMain::FormCreate);
  }
  TempFolder folder;
  FakePlatform platform;
  TFMain form{platform};
};

// The window's logic over a fake platform, with its settings file in a fresh folder.
class FormTest : public ::testing::Test {
 protected:
  static constexpr const char* kBasic =
      "[Programm]\r\nVersion=3\r\nZip=C:\\Tools\\archiver.exe\r\n"
      "Param=%s -m%s%s\"%s\" \"%s\"\r\n"
      "[Backup]\r\n0b=Anwendungen\r\n0=C:\\Programme\\*.*\r\n"
      "1b=Dokumente\r\n1=D:\\Daten\\%tag%\\*.*\r\n1p=F:\\Doku\r\n"
      "[Ziel]\r\n0=E:\\Archiv\\\r\n1=G:\\Zweit\\\r\n";

  FormTest() { platform.exePath = folder.File("Datensicherung.exe"); }

  void Settings(const std::string& ini) { folder.Write("Datensicherung.ini", ini); }
  std::string Ini() const { return folder.Read("Datensicherung.ini"); }
  void Create(std::vector<std::string> arguments = {}) {
    platform.arguments = std::move(arguments);
    form.Dispatch(&TFMain::FormCreate);
  }
  void Start() { form.Dispatch(&TFMain::StartClick); }
  // User input as the window reports it: the control's state, then its handler.
  void Select(int zeitpunkt) {
    form.Zeitpunkt.ItemIndex = zeitpunkt;
    form.Dispatch(&TFMain::ZeitpunktClick);
  }
  void Type(TEdit& field, const std::string& text) {
    field.Text = text;
    form.Dispatch(&TFMain::PasswortChange);
  }
  std::string LastParameters() const {
    return platform.launches.empty() ? "<none>" : platform.launches.back().parameters;
  }

  TempFolder folder;
  FakePlatform platform;
  TFMain form{platform};
  const DateTime today = EncodeDate(2024, 3, 5);
};
