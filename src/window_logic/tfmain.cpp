#include "window_logic/tfmain.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/ascii_case.h"
#include "core/cp1252.h"
#include "core/error.h"
#include "core/filled.h"
#include "core/intsyntax.h"
#include "core/password_rule.h"
#include "core/textformat.h"
#include "core/texts.h"
#include "window_logic/backup_plan.h"
#include "window_logic/control_table.h"
#include "window_logic/password_store.h"
#include "runlog/run_log.h"
#include "settings/settings.h"

namespace {

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// The text after the first ":", at most 255 characters.
std::string AfterColon(const std::string& text) { return text.substr(text.find(':') + 1, 255); }

// Whether a rule of the command line takes the argument (in upper case). Any other one is
// ignored, except under /WARTEN, where a mistyped switch must not go unnoticed.
bool RuleTakes(const std::string& a) {
  return Contains(a, "/DIR:") || Contains(a, "/PFAD:") || Contains(a, "/DATUM") || a == "/MOVE" ||
         a == "/DIFF" || a == "/GO" || a == "/WARTEN" || a == "/NOSTOP";
}

void AppendBackslash(std::string& directory) {
  if (!directory.empty() && directory.back() != '\\') directory += '\\';
}

}  // namespace

std::string ErrorBoxText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

namespace {

// A control's initial caption, items and height, as its row declares them.
template <typename State>
void Declare(State& state, const ControlRow& row) {
  if constexpr (requires { state.Caption; })
    if (row.caption) state.Caption = row.caption;
  if constexpr (requires { state.Panel0; }) state.Panel0 = row.caption;
  if constexpr (requires { state.Items; }) state.Items.assign(row.items.begin(), row.items.end());
  if constexpr (requires { state.Height; }) state.Height = row.bounds.height;
}

}  // namespace

TFMain::TFMain(IPlatform& platform) : platform_(platform) {
  Caption = texts::WindowCaption;
  for (const ControlRow& row : kControls)
    std::visit(
        [&](auto member) {
          if constexpr (!std::is_same_v<decltype(member), std::monostate>)
            Declare(this->*member, row);
        },
        row.state);
  Archiv.ItemIndex = 0;
  Zeitpunkt.ItemIndex = kSofort;
  Uhrzeit.Enabled = false;
  Tag.Enabled = false;
  StopProg.Checked = true;
}

std::string TFMain::SettingsPath() {
  std::string path = platform_.ExePath();
  const size_t name = path.find_last_of("\\/");
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && (name == std::string::npos || dot > name)) path.erase(dot);
  return path + ".ini";
}

int TFMain::CurrentYear() { return DecodeDate(platform_.Now()).year; }

void TFMain::Dispatch(Handler handler) {
  std::string message;
  try {
    (this->*handler)();
    return;
  } catch (const EError& error) {
    message = error.Shown();
  } catch (const std::exception& error) {
    message = Utf8FromCp1252(error.what());
  }
  if (Warten) return EndUnattended(ErrorBoxText(message), failureCode_);
  showingError_ = true;
  platform_.ShowError(ErrorBoxText(message));
  showingError_ = false;
}

// ---------------------------------------------------------------- start-up

bool TFMain::WartenGiven() {
  for (const std::string& argument : platform_.Arguments())
    if (AsciiUpper(argument) == "/WARTEN") return true;
  return false;
}

void TFMain::WindowFailed(const std::string& message) {
  Warten = WartenGiven();
  if (Warten) return EndUnattended(ErrorBoxText(message), kArchiverNotStarted);
  platform_.ShowError(ErrorBoxText(message));
}

void TFMain::FormCreate() {
  // Known before anything can fail, so that no failure of the start waits for a click.
  Warten = WartenGiven();
  failureCode_ = kSettingsRefused;
  Befehl = "a";
  ZielNr = 0;
  const DateTime now = platform_.Now();
  const DateTime today = WholeDays(now);
  Tag.Value = WithDate(Tag.Value, today);
  Datum.Value = WithDate(Datum.Value, today);
  // The time a user sees on picking the later start by hand: now, to the second.
  const TimeParts t = DecodeTime(now);
  Uhrzeit.Value = WithTime(Uhrzeit.Value, EncodeTime(t.hour, t.minute, t.second, 0));
  AutoStart = false;

  const int year = DecodeDate(now).year;
  auto settings = TSettingsFile::Open(SettingsPath(), year);
  if (!PassesVersionGate(*settings)) return;
  changepath.Visible = settings->GetFlag("Programm", "changedir", false);
  StopProg.Visible = settings->GetFlag("Programm", "Stopprog", false);
  StopProg.Checked = settings->GetFlag("Programm", "Stopprogchecked", true);
  Endung = AsciiLower(settings->GetText("Programm", "ArchivEndung", "zip"));
  RestorePassword(*settings);
  Ziel.Items.clear();
  Ziel.ItemIndex = -1;

  const std::string day = settings->GetText("Startzeit", "Tag", "");
  if (!day.empty()) {
    Zeitpunkt.ItemIndex = kSpaeter;
    spaeterClick();
    const std::string upper = AsciiUpper(day);
    if (upper == "HEUTE")
      Tag.Value = WithDate(Tag.Value, today);
    else if (upper == "MORGEN")
      Tag.Value = WithDate(Tag.Value, today + 1);
    else
      Tag.Value = WithDate(Tag.Value, ReadDateText(day, year));
  }
  const std::string time = settings->GetText("Startzeit", "Zeit", "");
  if (!time.empty()) {
    Uhrzeit.Value = WithTime(Uhrzeit.Value, ReadTimeText(time));
    Zeitpunkt.ItemIndex = kSpaeter;
    spaeterClick();
  }

  const int level = settings->GetInteger("Programm", "Komprimierung", 1);
  Komprimierung.ItemIndex = level >= 0 && level <= 5 ? level : -1;
  SetJobs(*settings);
  failureCode_ = kCommandLineRefused;
  ApplyCommandLine();
  failureCode_ = kSettingsRefused;

  // The target is read through an object of its own, once the command line has chosen the
  // key: the file as it is now, not as it was when start-up began, as the tool always has.
  auto targets = TSettingsFile::Open(SettingsPath(), year);
  Zielpfad = targets->GetText("Ziel", std::to_string(ZielNr), "");
  StatusBar1.Panel1 = Zielpfad;
  failureCode_ = kArchiverNotStarted;
}

// A settings file that is missing, unreadable or older than layout 3 ends the tool before the
// window is shown.
bool TFMain::PassesVersionGate(TSettingsFile& settings) {
  try {
    if (settings.GetInteger("Programm", "Version", 0) >= 3) return true;
  } catch (const EError& error) {
    // A file that is there but cannot be read ends the tool as a missing one does, but says why.
    if (Warten) {
      EndUnattended(ErrorBoxText(error.Shown()), kSettingsRefused);
    } else {
      platform_.ShowError(ErrorBoxText(error.Shown()));
      platform_.Halt();
    }
    return false;
  }
  if (Warten) {
    EndUnattended(Utf8FromCp1252(texts::VersionGate), kSettingsRefused);
  } else {
    platform_.ShowMessage(Utf8FromCp1252(texts::VersionGate));
    platform_.Halt();
  }
  return false;
}

void TFMain::SetJobs(TSettingsFile& settings) {
  for (int n = 0;; ++n) {
    std::string caption = settings.GetText("Backup", std::to_string(n) + "b", "");
    if (caption.empty()) break;
    Ziel.Items.push_back(std::move(caption));
  }
  const int jobs = static_cast<int>(Ziel.Items.size());
  Ziel.Height = std::max(22 * jobs, 35);
  Ziel.ItemIndex = jobs > 0 ? 0 : -1;
  Height = std::max(Ziel.Height + 160, 245);
}

void TFMain::ApplyCommandLine() {
  for (const std::string& argument : platform_.Arguments()) ApplyArgument(argument);
}

void TFMain::ApplyArgument(std::string a) {
  if (Warten && !RuleTakes(AsciiUpper(a))) throw EError(Filled(texts::UnknownArgument, {a}));
  a = AsciiUpper(a);
  if (Contains(a, "/DIR:")) {
    a = AfterColon(a);
    const int job = ReadInteger(a);
    const int last = static_cast<int>(Ziel.Items.size()) - 1;
    Ziel.ItemIndex = job < 0 ? -1 : std::min(job, last);
  }
  if (Contains(a, "/PFAD:")) {
    a = AfterColon(a);
    ZielNr = ReadInteger(a);
  }
  if (a == "/MOVE") Befehl = "m";
  if (a == "/DIFF") Archiv.ItemIndex = 1;
  if (a == "/GO") AutoStart = true;
  if (a == "/WARTEN") Warten = true;
  if (a == "/NOSTOP") StopProg.Checked = false;
  if (Contains(a, "/DATUM")) {
    a = a.size() > 7 ? a.substr(7) : "";
    const DateTime today = WholeDays(platform_.Now());
    if (!a.empty() && a[0] == '-')
      Datum.Value = WithDate(Datum.Value, today - ReadInteger(a.substr(1, 3)));
    else if (!a.empty() && a[0] == 'G')
      Datum.Value = WithDate(Datum.Value, today - 1);
    else if (!a.empty() && a[0] == 'H')
      Datum.Value = WithDate(Datum.Value, today);
  }
}

void TFMain::FormShow() {
  if (AutoStart) DoBackup();
}

// ---------------------------------------------------------------- simple handlers

void TFMain::EndeClick() { platform_.Terminate(); }

void TFMain::changepathClick() {
  std::string folder;
  if (platform_.BrowseForFolder(texts::FolderDialogTitle, folder)) Zielpfad = folder;
  AppendBackslash(Zielpfad);
  StatusBar1.Panel1 = Zielpfad;
}

// ---------------------------------------------------------------- backup run

void TFMain::StartClick() {
  if (waiting_) return;
  if (Zeitpunkt.ItemIndex != kSpaeter)
    DoBackup();
  else
    ArmDeferredStart();
}

void TFMain::DoBackup() {
  // Until an archiver has run, a waiting run's verdict is that none did.
  if (Warten) platform_.SetExitCode(kArchiverNotStarted);
  failureCode_ = kArchiverNotStarted;
  // A password typed into the window takes the place of a stored one that was refused.
  if (storedPasswordRefused_ && Passwort.Text.empty()) {
    failureCode_ = kStoredPasswordRefused;
    // The box leaves no trace; under /WARTEN the dispatcher records instead of a box.
    if (!Warten)
      Record(EError(texts::StoredPasswordRefused, SettingsPath()).Shown(), kStoredPasswordRefused);
    throw EError(texts::StoredPasswordRefused, SettingsPath());
  }
  // A password that would reach the archiver altered is refused before anything is recorded.
  if (!IsExact(Passwort.Text)) throw EError(texts::PasswordNotAnsi);
  auto settings = TSettingsFile::Open(SettingsPath(), CurrentYear());
  // What reaches the archiver is refused rather than handed on with "?" in it.
  const std::string program = settings->GetExactTextOrRaise("Programm", "Zip", "");
  RunSettings read;
  read.pattern = settings->GetExactTextOrRaise("Programm", "Param", "");
  read.dateForm = AsciiLower(settings->GetText("Programm", "Datumsformat", "JMT"));
  const std::string job = std::to_string(Ziel.ItemIndex);
  read.source = settings->GetExactTextOrRaise("Backup", job, "-");
  read.target = settings->GetExactTextOrRaise("Backup", job + "p", Zielpfad);

  // From reading [Last] to writing it, no other run of this settings file comes between, so
  // that no two runs get the same name.
  settings->Lock();
  read.lastDate = settings->GetDateTime("Last", "Datum", 0);
  read.lastNumber = settings->GetInteger("Last", "Nr", 0);
  const RunChoices choices{.datum = Datum.Value,
                           .compression = Komprimierung.ItemIndex,
                           .archiveBit = Archiv.ItemIndex,
                           .password = Passwort.Text,
                           .command = Befehl,
                           .extension = Endung};
  const BackupPlan plan = PlanBackup(
      choices, read, [this](const std::string& name) { return platform_.FileExists(name); });
  settings->PutTexts({{"Last", "Datum", DateTimeText(plan.lastDate)},
                      {"Last", "Nr", std::to_string(plan.lastNumber)}});
  settings.reset();

  if (!plan.error.empty()) throw EError(plan.error);
  RunArchiver(program, plan.parameters, plan.archive);
  if (StopProg.Checked) platform_.Terminate();
}

void TFMain::RunArchiver(const std::string& program, const std::string& parameters,
                         const std::string& archive) {
  const int job = Ziel.ItemIndex;
  const std::string caption =
      job >= 0 && job < static_cast<int>(Ziel.Items.size()) ? Ziel.Items[job] : "";
  const std::string handover =
      Filled(texts::Handover,
             {std::to_string(job), caption, archive, program, runlog::MaskPasswords(parameters)});
  const bool launching =
      !program.empty() && program.size() + parameters.size() + 4 <= kCommandLineLimit;
  // A run that waits records before the archiver's own record; one that does not, once the
  // archiver is on its way, so that the record's writing runs beside the archiver's start.
  if (!launching || Warten) LogRun(handover);
  if (program.empty()) return LogRun(texts::NoArchiver);
  // The system would cut a longer line, and the archiver would get another archive name.
  if (!launching) throw EError(texts::CommandLineTooLong);
  waiting_ = Warten;
  const IPlatform::LaunchResult launch = platform_.ShellOpen(program, parameters, Warten);
  waiting_ = false;
  if (!Warten) LogRun(handover);
  if (!launch.started)
    return LogRun(Filled(texts::ArchiverNotStarted, {program}) +
                  Cp1252FromUtf8(launch.failure).value_or(launch.failure));
  if (Warten) platform_.SetExitCode(launch.exitCode);
}

// One record of the central log; the logic's texts are Windows-1252, the log's UTF-8.
void TFMain::LogRun(const std::string& line) { LogShown(Utf8FromCp1252(line)); }

void TFMain::LogShown(const std::string& shown) {
  const DateTime now = platform_.Now();
  platform_.AppendRunLog(
      runlog::Record(texts::AppTitle, DateText(now) + " " + TimeText(now), {shown}));
}

// A failure in the central log and the event log, in the words a box would show (UTF-8).
void TFMain::Record(const std::string& shown, int exitCode) {
  LogShown(shown);
  platform_.ReportEvent(exitCode, shown);
}

// Under /WARTEN a failure is recorded where the administrator looks, and the program ends
// with its code: a box would wait for a click that never comes.
void TFMain::EndUnattended(const std::string& shown, int exitCode) {
  Record(shown, exitCode);
  platform_.SetExitCode(exitCode);
  platform_.Halt();
}

// ---------------------------------------------------------------- deferred start

void TFMain::ZeitpunktClick() {
  if (Zeitpunkt.ItemIndex == kSpaeter)
    spaeterClick();
  else
    sofortClick();
}

void TFMain::sofortClick() {
  Uhrzeit.Enabled = false;
  Tag.Enabled = false;
}

void TFMain::spaeterClick() {
  Uhrzeit.Enabled = true;
  Tag.Enabled = true;
}

void TFMain::ArmDeferredStart() {
  Start.Enabled = false;
  Ende.Enabled = true;
  Datum.Enabled = false;
  Komprimierung.Enabled = false;
  Uhrzeit.Enabled = false;
  Tag.Enabled = false;
  Ziel.Enabled = false;
  Zeitbox.Enabled = false;
  changepath.Visible = false;
  Timer1.Enabled = true;
  Caption = Filled(texts::ArmedCaption, {TimeText(Uhrzeit.Value), DateText(Tag.Value)});
}

void TFMain::Timer1Timer() {
  // While a failed run's error is on screen, no new attempt piles another box on top of it.
  if (showingError_ || waiting_) return;
  const DateTime due = WithTime(Tag.Value, Uhrzeit.Value);  // Tag's day, Uhrzeit's time
  if (due < platform_.Now()) {
    DoBackup();
    platform_.Terminate();
  }
}

// ---------------------------------------------------------------- password

void TFMain::PasswortChange() { pwsave.Enabled = Passwort.Text == Passwort2.Text; }

// A stored value that does not come back whole would give the archiver a password nobody
// knows: it is refused, and the next run says so instead of starting.
void TFMain::RestorePassword(TSettingsFile& settings) {
  const std::optional<std::string> value = settings.GetExactText("security", "1", "");
  const std::optional<std::string> password = value && value->empty() ? value
                                              : value                 ? CheckedPassword(*value)
                                                                      : std::nullopt;
  storedPasswordRefused_ = !password;
  Passwort.Text = password.value_or("");
  PasswortChange();
}

void TFMain::pwsaveClick() {
  if (Passwort2.Text != Passwort.Text) {
    platform_.ShowMessage(Utf8FromCp1252(texts::PasswordMismatch));
    return;
  }
  if (!IsExact(Passwort.Text)) throw EError(texts::PasswordNotAnsi);
  static_assert(kLongestPassword == 99, "texts::PasswordTooLong names the limit");
  if (Passwort.Text.size() > kLongestPassword) throw EError(texts::PasswordTooLong);
  auto settings = TSettingsFile::Open(SettingsPath(), CurrentYear());
  platform_.Randomize();
  const auto value =
      ComposeStoredPassword(Passwort.Text, [this](int range) { return platform_.Random(range); });
  if (!value) throw EError(texts::PasswordNotStorable);
  settings->PutText("Security", "1", *value);
  storedPasswordRefused_ = false;
}
