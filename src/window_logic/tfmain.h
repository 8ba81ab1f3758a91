#pragma once
#include <cstdint>
#include <string>

#include "core/datetime.h"
#include "window_logic/controls.h"
#include "window_logic/platform.h"

class TSettingsFile;

// The tool's one window: the state of its controls, its private fields and its handlers.
// No window handle in sight; the Win32 layer mirrors this state into real controls.
class TFMain {
 public:
  explicit TFMain(IPlatform& platform);

  // --- the window itself
  std::string Caption;
  // Outer height in pixels; 0 keeps the design size (client area 412 x 220).
  int Height = 0;

  // --- controls, in creation order
  TButton Start;
  TButton Ende;
  TStatusBar StatusBar1;
  TButton changepath;
  TGroupBox GroupBox1;
  TDateTimePicker Datum;
  TGroupBox kompbox;
  TComboBox Komprimierung;
  TGroupBox GroupBox2;
  TComboBox Archiv;
  TGroupBox GroupBox3;
  TButton pwsave;
  TEdit Passwort;
  TEdit Passwort2;
  TRadioGroup Ziel;
  TGroupBox Zeitbox;
  TRadioSet Zeitpunkt;  // its buttons "sofort" and "spaeter"
  TDateTimePicker Uhrzeit;
  TDateTimePicker Tag;
  TCheckBox StopProg;
  TTimer Timer1;

  static constexpr int kSofort = 0;  // Zeitpunkt's items
  static constexpr int kSpaeter = 1;

  // --- private fields, open to the window layer and the tests
  std::string Endung;
  std::string Zielpfad;
  std::string Befehl = "a";
  bool AutoStart = false;
  int ZielNr = 0;
  // /WARTEN: wait for the archiver and end with its exit code. Nobody is watching, so a
  // failure ends the program with a code of its own instead of waiting in a box.
  bool Warten = false;

  // --- handlers
  void FormCreate();
  void FormShow();
  void StartClick();
  void EndeClick();
  void changepathClick();
  void ZeitpunktClick();  // runs sofortClick or spaeterClick, as selected
  void sofortClick();
  void spaeterClick();
  void pwsaveClick();
  void PasswortChange();
  void Timer1Timer();

  // Runs a handler as the application does: an error that escapes it is shown in an error
  // box and the tool carries on with the next event.
  using Handler = void (TFMain::*)();
  void Dispatch(Handler handler);

  // The window could not be made, so no handler runs: shown in a box, or under /WARTEN
  // recorded and ended with kArchiverNotStarted.
  void WindowFailed(const std::string& message);

  // The settings file: beside the program, with its name and the extension ".ini".
  std::string SettingsPath();

 private:
  bool WartenGiven();
  void ApplyCommandLine();
  void ApplyArgument(std::string argument);
  bool PassesVersionGate(TSettingsFile& settings);
  void SetJobs(TSettingsFile& settings);
  void RestorePassword(TSettingsFile& settings);
  void DoBackup();
  void ArmDeferredStart();
  void RunArchiver(const std::string& program, const std::string& parameters,
                   const std::string& archive);
  void LogRun(const std::string& line);
  void LogShown(const std::string& shown);
  void Record(const std::string& shown, int exitCode);
  void EndUnattended(const std::string& shown, int exitCode);
  int CurrentYear();

  IPlatform& platform_;
  bool showingError_ = false;
  bool waiting_ = false;  // for the archiver: no second run starts meanwhile
  bool storedPasswordRefused_ = false;
  int failureCode_ = 0;  // what a failure now ends the program with under /WARTEN
};

// The launcher's own exit codes under /WARTEN, beside the archiver's.
// No archiver ran: none named, not found, refused by the shell, or the run stopped with an
// error before the handover.
inline constexpr int kArchiverNotStarted = 20;
// The stored password did not come back whole; nothing was started.
inline constexpr int kStoredPasswordRefused = 21;
// An argument no rule takes, or a bad number after a switch.
inline constexpr int kCommandLineRefused = 22;
// The settings file missing, unreadable or too old, or a bad date or time in [Startzeit].
inline constexpr int kSettingsRefused = 23;

// The longest command line the system passes whole, its terminating zero included: the
// program in quotes, a blank, the parameters.
inline constexpr std::size_t kCommandLineLimit = 32767;

// The text shown in an error box: "." appended when the last character sorts after ".".
std::string ErrorBoxText(const std::string& message);
