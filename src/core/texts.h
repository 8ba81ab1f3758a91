#pragma once
// Every fixed text the user sees, in one place. They are Windows-1252 bytes like all text the
// logic handles; the window layer converts them at the boundary. Umlauts are written as
// escapes on purpose so that no editor or compiler setting can change them.

namespace texts {

inline constexpr const char* AppTitle = "Datensicherung";
inline constexpr const char* WindowCaption = "Backup auf CD-RW starten";
inline constexpr const char* ArmedCaption = "Backup wird um %s an %s gestartet...";

inline constexpr const char* Start = "Starten";
inline constexpr const char* Ende = "Abbruch";
inline constexpr const char* ChangePath = "Verzeichnis";
inline constexpr const char* GroupDatum = "Datum";
inline constexpr const char* GroupKomprimierung = "Komprimierung";
inline constexpr const char* GroupArchiv = "Archiv-Bit";
inline constexpr const char* GroupPasswort = "Passwort";
inline constexpr const char* ZielCaption = "Sichern von";
inline constexpr const char* Zeitbox = "Start-Zeit";
inline constexpr const char* Sofort = "Sofort";
inline constexpr const char* Spaeter = "Sp\xE4ter";
inline constexpr const char* StopProg =
    "Programm schlie\xDF"
    "en";
inline constexpr const char* StatusPanel0 = "Zielverzeichnis:";
// The name screen readers announce for the picture button, and its tooltip.
inline constexpr const char* PwSave = "Kennwort speichern";

inline constexpr const char* Kompression[] = {"Speichern", "Schnellste", "Schnell",
                                              "Normal",    "Gut",        "Beste"};
inline constexpr const char* ArchivItems[] = {"ignorieren", "Archiv gesetzt"};
inline constexpr const char* DesignJobs[] = {"Anwendungen", "Dokumente"};

inline constexpr const char* FolderDialogTitle = "Verzeichniswahl";
inline constexpr const char* WindowNotCreated = "Das Fenster %s kann nicht angelegt werden";

// Messages.
inline constexpr const char* VersionGate =
    "Inidatei passt nicht zur Programmversion (3). Programm wird beendet.";
inline constexpr const char* PasswordMismatch = "Kennw\xF6rter sind nicht identisch!";
inline constexpr const char* PasswordNotStorable =
    "Das Kennwort kann nicht sicher gespeichert werden. Bitte ein anderes Kennwort w\xE4hlen";
inline constexpr const char* CannotWrite = "In %s kann nicht geschrieben werden";
inline constexpr const char* CannotRead = "%s kann nicht gelesen werden";
inline constexpr const char* SettingsHeld =
    "%s wird von einem anderen Programm benutzt und kann nicht gelesen werden";
inline constexpr const char* SettingsLocked =
    "%s ist durch einen anderen Lauf der Datensicherung belegt. Bitte sp\xE4ter erneut versuchen";
// Section, key, then the file.
inline constexpr const char* ValueNotAnsi =
    "Der Eintrag [%s] %s in %s enth\xE4lt Zeichen au\xDF"
    "erhalb des Windows-Zeichensatzes (Windows-1252) und wird nicht verwendet";
inline constexpr const char* PasswordNotAnsi =
    "Das Kennwort enth\xE4lt Zeichen au\xDF"
    "erhalb des Windows-Zeichensatzes (Windows-1252). "
    "Bitte ein anderes Kennwort w\xE4hlen";
inline constexpr const char* CommandLineTooLong =
    "Die Befehlszeile f\xFCr das Archivprogramm ist zu lang (h\xF6"
    "chstens 32766 Zeichen); es wird nicht "
    "gestartet";
inline constexpr const char* UnknownArgument = "'%s' ist kein g\xFCltiges Argument";
inline constexpr const char* StoredPasswordRefused =
    "Das in %s gespeicherte Kennwort ([security] 1) ist unvollst\xE4ndig oder besch\xE4"
    "digt und wird nicht verwendet; es wurde nichts gesichert. Bitte das Kennwort neu eingeben "
    "und speichern";
inline constexpr const char* InvalidDate = "'%s' ist kein g\xFCltiges Datum";
inline constexpr const char* InvalidTime = "'%s' ist keine g\xFCltige Uhrzeit";
inline constexpr const char* InvalidInteger = "'%s' ist kein g\xFCltiger Integerwert";
inline constexpr const char* FormatInvalid =
    "Format '%s' ung\xFCltig oder nicht kompatibel mit Argument";
inline constexpr const char* FormatNoArgument = "Kein Argument f\xFCr Format '%s'";

inline constexpr const char* PasswordTooLong =
    "Das Kennwort ist zu lang: h\xF6"
    "chstens 99 Zeichen, sonst \xF6"
    "ffnen die \xFC"
    "blichen ZIP-Programme das Archiv nicht";

// The central run log.
inline constexpr const char* Handover = "Auftrag %s \x84%s\x93, Archiv %s: \"%s\" %s";
inline constexpr const char* NoArchiver =
    "Kein Archivprogramm eingetragen ([Programm] Zip); nichts gestartet";
inline constexpr const char* ArchiverNotStarted = "Das Archivprogramm %s wurde nicht gestartet: ";
inline constexpr const char* NoAppDataFolder = "kein Ordner f\xFCr Anwendungsdaten";

}  // namespace texts
