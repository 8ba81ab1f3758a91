// The whole start-up sequence and a run over a fuzzed settings file and fuzzed arguments, on
// the fake platform: FormCreate, FormShow, StartClick (and one timer tick when a deferred start
// got armed), then a password save and a second start that must restore that password.
//
// Input: options 0x01 settings file 0x01 argument 0x01 argument ... (at most eight).
// Options: byte 0 says how many archive names already exist (0 to 15), byte 1 moves the
// clock by whole quarters of a year.

#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/temp_folder.h"
#include "fuzz_support.h"
#include "window_logic/tfmain.h"
#include "settings/settings.h"

namespace {

// The first `existing` names asked for exist; so the search for a free name always ends.
class BoundedPlatform : public FakePlatform {
 public:
  int existing = 0;
  bool FileExists(const std::string&) override { return ++fileChecks <= existing; }
};

// One folder for the whole run: creating one per input would cost more than the input.
const TempFolder& Folder() {
  static const TempFolder folder;
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fields fields(data, size);
  const std::string options = fields.Next();
  const std::string ini = fields.Next();
  std::vector<std::string> arguments;
  while (!fields.Done() && arguments.size() < 8) arguments.push_back(fields.Next());

  const TempFolder& folder = Folder();
  folder.Write("Datensicherung.ini", ini);
  BoundedPlatform platform;
  platform.exePath = folder.File("Datensicherung.exe");
  platform.arguments = arguments;
  platform.existing = options.empty() ? 0 : static_cast<unsigned char>(options[0]) % 16;
  if (options.size() > 1) platform.now += (static_cast<unsigned char>(options[1]) - 128) * 91;

  TFMain form(platform);
  form.Dispatch(&TFMain::FormCreate);
  if (platform.haltCalls > 0) return 0;
  form.Dispatch(&TFMain::FormShow);

  // Under /WARTEN a failure is an event in the log, not a box.
  const auto failures = [&platform] { return platform.errors.size() + platform.events.size(); };
  const std::size_t failuresBefore = failures();
  const bool runsNow = form.Zeitpunkt.ItemIndex != TFMain::kSpaeter;
  form.Dispatch(&TFMain::StartClick);
  FUZZ_CHECK(platform.fileChecks <= platform.existing + 2);
  if (runsNow && failures() == failuresBefore) {
    // The run recorded its reference day, and the file gives it back.
    TSettingsFile settings(form.SettingsPath(), 2024);
    FUZZ_CHECK(settings.GetDateTime("Last", "Datum", -1) == WholeDays(form.Datum.Value));
  }
  if (form.Timer1.Enabled) form.Dispatch(&TFMain::Timer1Timer);

  const std::string password = form.Passwort.Text;
  form.Passwort2.Text = password;  // typed, as the window reports it
  form.Dispatch(&TFMain::PasswortChange);
  const std::size_t failuresBeforeSave = failures();
  form.Dispatch(&TFMain::pwsaveClick);
  if (failures() == failuresBeforeSave) {
    TFMain again(platform);
    again.Dispatch(&TFMain::FormCreate);
    FUZZ_CHECK(again.Passwort.Text == password);
  }
  return 0;
}
