#pragma once
// The restore window's fixed texts, UTF-8 like dszip's (universal character names keep the
// source ASCII); the window turns them into UTF-16 where it shows them.

namespace restore_window::texts {

inline constexpr const char* AppTitle = "Datensicherung wiederherstellen";

// The window's controls.
inline constexpr const char* TabBackups = "Sicherungen";
inline constexpr const char* TabHistory = "Verlauf";
inline constexpr const char* FolderLabel = "&Ordner:";
inline constexpr const char* OtherFolder = "&Anderer Ordner\u2026";
inline constexpr const char* Check = "&Pr\u00fcfen";
inline constexpr const char* FilterLabel = "&Filter:";
inline constexpr const char* Original = "An den &urspr\u00fcnglichen Ort";
inline constexpr const char* IntoFolder = "In &diesen Ordner:";
inline constexpr const char* Browse = "\u2026";
inline constexpr const char* Replace = "&Vorhandene Dateien ersetzen";
inline constexpr const char* Restore = "&Wiederherstellen";
inline constexpr const char* Cancel = "Abbrechen";
inline constexpr const char* OpenFolder = "Ordner \u00f6&ffnen";
inline constexpr const char* Close = "&Schlie\u00dfen";
inline constexpr const char* ColumnWhen = "Zeit";
inline constexpr const char* ColumnKind = "Art";
inline constexpr const char* ColumnSize = "Gr\u00f6\u00dfe";
inline constexpr const char* ColumnArchive = "Archiv";
inline constexpr const char* ColumnCommand = "Aufruf";
inline constexpr const char* ColumnResult = "Ergebnis";
inline constexpr const char* FolderDialogTitle = "Ordner w\u00e4hlen";
inline constexpr const char* PasswordTitle = "Kennwort";
inline constexpr const char* PasswordOk = "OK";
inline constexpr const char* TreeFile = "%s    (%s, %s, aus %s)";  // name, size, time, archive
inline constexpr const char* Restoring = "Wird wiederhergestellt \u2026";
inline constexpr const char* Checking = "Wird gepr\u00fcft \u2026";

// Sets and nights.
inline constexpr const char* KindFull = "Vollsicherung";
inline constexpr const char* KindIncremental = "inkrementell";
inline constexpr const char* KindMoved = "verschoben";
inline constexpr const char* SetHeading = "Satz %s: %s";                   // number, sources
inline constexpr const char* SetHeadingOnComputer = "Satz %s: %s auf %s";  // ..., computer
inline constexpr const char* SingleArchives = "Archive ohne Angaben zum Satz";
inline constexpr const char* NightWhen = "%s.%s.%s %s:%s";  // day, month, year, hour, minute
inline constexpr const char* ChainBroken = "%s \u2013 Kette unvollst\u00e4ndig";  // kind
inline constexpr const char* ChainGap = "Die Kette ist nicht vollst\u00e4ndig: %s";
inline constexpr const char* FolderUnreadable = "Der Ordner %s kann nicht gelesen werden: %s";
inline constexpr const char* ArchiveUnreadable = "Das Archiv %s kann nicht gelesen werden: %s";

// Restoring.
inline constexpr const char* NoOriginalPlace =
    "Ohne urspr\u00fcnglichen Ort (keine Quelle des Satzes nennt sie): %s";
inline constexpr const char* ConfirmOriginal =
    "Die Dateien werden an ihren urspr\u00fcnglichen Ort zur\u00fcckgeschrieben.\n"
    "%s dort vorhandene Dateien werden ersetzt.\n\nFortfahren?";
inline constexpr const char* ConfirmOriginalKeep =
    "Die Dateien werden an ihren urspr\u00fcnglichen Ort zur\u00fcckgeschrieben.\n"
    "%s dort vorhandene Dateien bleiben erhalten und werden nicht wiederhergestellt.\n\n"
    "Fortfahren?";
// Beside the progress bar: files done and of all, bytes done and of all, the unit.
inline constexpr const char* ProgressFiles = "%s von %s Dateien, %s von %s %s";
inline constexpr const char* ProgressOneFile = "%s von %s Datei, %s von %s %s";
inline constexpr const char* NoTargetFolder = "Bitte einen Zielordner angeben.";
inline constexpr const char* PasswordPrompt = "Kennwort f\u00fcr %s:";
inline constexpr const char* PasswordNotGiven =
    "Ohne das richtige Kennwort kann diese Sicherung nicht gezeigt werden.";

// The history of runs.
inline constexpr const char* ResultUnknown = "Ergebnis unbekannt";
inline constexpr const char* ResultPrefix = "Ergebnis: ";
inline constexpr const char* CommandPrefix = "Aufruf: ";
inline constexpr const char* ArchivePrefix = "Archiv: ";
inline constexpr const char* RecordHead = "=== ";

}  // namespace restore_window::texts
