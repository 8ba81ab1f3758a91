#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "core/datetime.h"

// What a backup run takes from the window.
struct RunChoices {
  DateTime datum = 0;         // the reference date
  int compression = -1;       // Komprimierung's index
  int archiveBit = -1;        // Archiv's index
  std::string password;       // Passwort
  std::string command = "a";  // Befehl
  std::string extension;      // Endung
};

// What a backup run takes from the settings file.
struct RunSettings {
  std::string pattern;          // [Programm] Param
  std::string dateForm;         // [Programm] Datumsformat, lower case
  std::string source;           // [Backup] j
  std::string target;           // [Backup] jp, else the target directory
  DateTime lastDate = 0;        // [Last] Datum
  std::int32_t lastNumber = 0;  // [Last] Nr
};

// Everything a run hands out: the archive, what [Last] records, and the parameter text.
struct BackupPlan {
  std::string archive;
  DateTime lastDate = 0;
  std::int32_t lastNumber = 0;
  std::string parameters;  // password switch included
  // A template the five texts cannot fill; raised only once [Last] has been recorded.
  std::string error;
};

// The plan of a run; `exists` tells whether a file of that name is there.
BackupPlan PlanBackup(const RunChoices& choices, const RunSettings& settings,
                      const std::function<bool(const std::string&)>& exists);

// The reference date as the archive name and "%tag%" write it: form "jmt" gives 20240305,
// "t.m.j" gives 05.03.2024, any other form nothing.
std::string DatePart(DateTime date, const std::string& form);
