#pragma once
// Every text dszip shows or logs, in one place. UTF-8; the console layer converts.

namespace dszip::texts {

inline constexpr const char* Usage =
    "Aufruf: dszip a|m [-m0|-ms|-mf|-mn|-mx|-m0..-m5] [-ai|-ao] [-ac] [-r|-r-] [-hp<Kennwort>] "
    "<Archiv.zip> <Quelle> [<Quelle> ...]";
inline constexpr const char* NoCommand =
    "Kein Befehl angegeben: erwartet wird a (hinzufügen), m (verschieben), x oder e (entpacken), t (prüfen) oder l (auflisten).";
inline constexpr const char* UnknownCommand =
    "Unbekannter Befehl „%s“: erwartet wird a (hinzufügen), m (verschieben), x oder e (entpacken), t (prüfen) oder l (auflisten).";
inline constexpr const char* UnknownSwitch = "Unbekannter Schalter „%s“.";
inline constexpr const char* BadLevel =
    "Unbekannte Kompressionsstufe „%s“: erlaubt sind -m0, -ms, -mf, -mn, -mx und -m0 bis -m5.";
inline constexpr const char* EmptyPassword = "Der Schalter -hp braucht ein Kennwort direkt dahinter, etwa -hpGeheim.";
inline constexpr const char* ConflictAiAo = "Die Schalter -ai und -ao schließen einander aus.";
inline constexpr const char* ConflictAiAc = "Die Schalter -ai und -ac schließen einander aus (-ai ändert kein Attribut).";
inline constexpr const char* NoArchive = "Kein Archiv angegeben.";
inline constexpr const char* NoSource = "Keine Quelle angegeben.";
inline constexpr const char* NotZip =
    "Archiv „%s“: dszip schreibt nur ZIP-Archive; der Name muss auf .zip enden.";
inline constexpr const char* WildcardInArchive = "Archiv „%s“: der Archivname darf keine Platzhalter (* oder ?) enthalten.";
inline constexpr const char* BadSource =
    "Quelle „%s“: Platzhalter (* oder ?) sind nur im letzten Teil erlaubt, Anführungszeichen gar nicht.";

inline constexpr const char* ArchiveExists = "Das Archiv %s gibt es schon; dszip überschreibt und ergänzt keine Archive.";
inline constexpr const char* ArchiveNotCreated = "Das Archiv %s kann nicht angelegt werden: %s";
inline constexpr const char* NothingToArchive = "Nichts zu sichern: keine Datei passt zu den Quellen und Schaltern. Es wurde kein Archiv geschrieben.";
inline constexpr const char* WriteFailed = "Schreiben des Archivs fehlgeschlagen: %s";
inline constexpr const char* VerifyFailed = "Prüfung des Archivs fehlgeschlagen (%s): %s";
inline constexpr const char* Interrupted = "Abgebrochen. Es wurde kein Archiv geschrieben; alle Quelldateien sind unverändert.";
inline constexpr const char* EncryptionNote =
    "Hinweis: ZIP verschlüsselt nur den Inhalt. Dateinamen, Größen und Zeiten im Archiv bleiben lesbar.";

inline constexpr const char* SourceMissing = "Quelle nicht gefunden: %s";
inline constexpr const char* NoSourceFound = "Keine der Quellen gibt es: %s. Es wurde kein Archiv geschrieben.";
inline constexpr const char* SourceProtected = "Quelle „%s“ wird nicht gesichert: %s.";
inline constexpr const char* FolderLeftOut = "Ordner ausgelassen: %s (%s)";
inline constexpr const char* ArchiveFolderReason =
    "Ordner des Archivs; frühere Sicherungen und ihr Protokoll werden nicht mitgesichert";
inline constexpr const char* CentralLogFolderReason =
    "Ordner des zentralen Protokolls; es wird nicht mitgesichert";
inline constexpr const char* LinkNotFollowed = "Verknüpfter Ordner nicht verfolgt: %s";
inline constexpr const char* FolderUnreadable = "Ordner nicht lesbar: %s (%s)";
inline constexpr const char* FileUnreadable = "Nicht gesichert, nicht lesbar: %s (%s)";
inline constexpr const char* FileChangedWhileRead =
    "Während des Lesens wiederholt verändert, möglicherweise uneinheitlich gesichert: %s";
inline constexpr const char* GrewPastHeader = "Nicht gesichert, während des Lesens über 4 GiB gewachsen: %s";
inline constexpr const char* DuplicateName = "Doppelter Name im Archiv, übersprungen: %s";
inline constexpr const char* NotCleared = "Archiv-Attribut nicht gelöscht: %s (%s)";
inline constexpr const char* NotDeleted = "Nicht gelöscht: %s (%s)";
inline constexpr const char* ChangedSince = "seit dem Lesen verändert";

inline constexpr const char* MoreWarnings = "... und %s weitere, alle in dszip.log";  // listed
inline constexpr const char* Verifying = "Prüfe das Archiv ...";
inline constexpr const char* ResultOk = "Erfolgreich";
inline constexpr const char* ResultWarning = "Mit Warnungen";
inline constexpr const char* ResultFailed = "Fehlgeschlagen";
inline constexpr const char* ResultNothing = "Nichts zu sichern";
inline constexpr const char* ResultInterrupted = "Abgebrochen";
inline constexpr const char* PressKey = "Weiter mit einer beliebigen Taste (das Fenster schließt sich sonst in 60 Sekunden) ...";

// The run's verdict: passwords, the target folder, leftovers, the central log.
inline constexpr const char* PasswordNotCp1252 =
    "Das Kennwort enthält Zeichen außerhalb des Windows-Zeichensatzes (Windows-1252). Bitte ein "
    "anderes Kennwort wählen.";
inline constexpr const char* PasswordTooLong =
    "Das Kennwort ist zu lang: höchstens %s Zeichen, sonst öffnen die üblichen ZIP-Programme das "
    "Archiv nicht.";
inline constexpr const char* CodePageNote =
    "Hinweis: Das Kennwort enthält Zeichen außerhalb von ASCII. Andere Programme öffnen das Archiv "
    "nur, wenn sie das Kennwort im Windows-Zeichensatz (Windows-1252) nehmen.";
inline constexpr const char* TargetUnreachable = "Ziellaufwerk %s ist nicht erreichbar.";
inline constexpr const char* TargetFolderCreated = "Zielordner angelegt: %s";
inline constexpr const char* TargetFolderNotCreated = "Der Zielordner %s kann nicht angelegt werden: %s";
inline constexpr const char* LeftoverRemoved = "Reste eines abgebrochenen Laufs entfernt: %s";
inline constexpr const char* CentralLogFailed = "Das zentrale Protokoll %s kann nicht geschrieben werden: %s";
inline constexpr const char* LocalLogFailed = "Das Protokoll %s kann nicht geschrieben werden: %s";
inline constexpr const char* CommandLine = "Aufruf: dszip %s";

// Restoring: x, e, t, l, and an archive dropped on the program.
inline constexpr const char* RestoreUsage =
    "Aufruf: dszip x|e|t|l [-p<Kennwort>] [-o+|-o-] <Archiv.zip> [<Zielordner>\\] [<Name oder Maske> ...]";
inline constexpr const char* ArchiveUnreadable = "Das Archiv %s kann nicht gelesen werden: %s";
inline constexpr const char* PasswordPrompt = "Kennwort für %s: ";
inline constexpr const char* PasswordNeeded =
    "Das Archiv enthält verschlüsselte Dateien. Bitte das Kennwort mit -p<Kennwort> angeben; ohne Konsole kann dszip nicht danach fragen.";
inline constexpr const char* PasswordWrong = "Das Kennwort ist falsch. Es wurde nichts entpackt.";
inline constexpr const char* NothingSelected = "Kein Eintrag im Archiv passt zu den angegebenen Namen.";
inline constexpr const char* RefusedName = "Nicht entpackt, unsicherer Name (%s): %s";
inline constexpr const char* NameParent = "„..“";
inline constexpr const char* NameAbsolute = "absoluter Pfad oder leerer Teil";
inline constexpr const char* NameStream = "„:“, Laufwerk oder Datenstrom";
inline constexpr const char* NameDevice = "Gerätename";
inline constexpr const char* NameTrailing = "Punkt oder Leerzeichen am Ende";
inline constexpr const char* NameControl = "Steuerzeichen";
inline constexpr const char* NameCharacter = "unter Windows unzulässiges Zeichen";
inline constexpr const char* NameEncoding = "kein gültiges UTF-8";
inline constexpr const char* NameDuplicate = "gleicht einem früheren Namen bis auf Groß- und Kleinschreibung";
inline constexpr const char* UnknownMethod = "Nicht entpackt, %s wird nicht unterstützt: %s";
inline constexpr const char* EntryDamaged = "Fehlerhaft, nicht entpackt: %s (%s)";
inline constexpr const char* EntryFailsTest = "Fehlerhaft: %s (%s)";
inline constexpr const char* SharedData = "teilt seine Daten mit einem anderen Eintrag";
inline constexpr const char* EntryExists = "Nicht überschrieben, gibt es schon: %s";
inline constexpr const char* EntryNotWritten = "Nicht entpackt: %s (%s)";
inline constexpr const char* RestoreFailed = "Entpacken abgebrochen: %s. Bereits entpackte Dateien bleiben; keine halb geschriebene Datei.";
inline constexpr const char* RestoreInterrupted = "Abgebrochen. Bereits entpackte Dateien bleiben; keine halb geschriebene Datei.";
inline constexpr const char* TargetNotCreated = "Der Zielordner %s kann nicht angelegt werden: %s";
inline constexpr const char* Testing = "Prüfe ...";
inline constexpr const char* Extracting = "Entpacke ...";
inline constexpr const char* PressKeyToClose = "Fenster schließen mit einer beliebigen Taste ...";

// Summaries, the listing and the reasons that were built in the code before.
inline constexpr const char* NoMemory = "kein Speicher";
inline constexpr const char* NotFound = "nicht gefunden";
inline constexpr const char* BackupProgress = "Dateien %s/%s  %s/%s  %s %  %s/s";
inline constexpr const char* PercentDone = "%s %s %";  // "Prüfe das Archiv ... 40 %"
inline constexpr const char* TimeSpan = "%s bis %s";
inline constexpr const char* SummaryArchive = "Archiv: %s";
inline constexpr const char* SummarySources = "Quellen: %s";
inline constexpr const char* SummaryEncrypted = "Verschlüsselt: %s";
inline constexpr const char* EncryptedYes = "ja (AES-256)";
inline constexpr const char* EncryptedNo = "nein";
inline constexpr const char* SummaryCounts = "Dateien: %s, Ordner: %s, Daten: %s, Archiv: %s (%s %)";
inline constexpr const char* SummaryDuration = "Dauer: %s s";
inline constexpr const char* SummaryRate = ", %s/s";
inline constexpr const char* NotesHeading = "Hinweise";
inline constexpr const char* WarningsHeading = "Warnungen";
inline constexpr const char* SectionHeading = "%s (%s):";  // heading, number of items
inline constexpr const char* ListedItem = "  %s";          // an item below its heading
inline constexpr const char* ResultLine = "Ergebnis: %s (Exit-Code %s)";
inline constexpr const char* SummaryTarget = "Ziel: %s";
inline constexpr const char* Tested = "Geprüft: %s Dateien, %s in %s s";
inline constexpr const char* Extracted = "Entpackt: %s Dateien, %s in %s s";
inline constexpr const char* ListingHeading =
    "Datum      Zeit     Attr         Größe      Gepackt Methode   Name";
inline constexpr const char* ListingTotal =
    "Summe: %s Dateien, %s Ordner, %s, gepackt %s (* verschlüsselt)";
inline constexpr const char* MethodOtherEncryption = "diese Verschlüsselung";
inline constexpr const char* MethodNumber = "die Methode %s";
inline constexpr const char* FolderInTheWay = "ein Ordner dieses Namens ist da";
inline constexpr const char* FileInTheWay = "eine Datei dieses Namens ist da";
inline constexpr const char* AllNamesTaken = "alle Namen vergeben";
inline constexpr const char* PartLocalHeader = "lokaler Kopf";
inline constexpr const char* PartLength = "Länge";
inline constexpr const char* PartCentralDirectory = "zentrales Verzeichnis";
inline constexpr const char* PartEndRecord = "Endsatz";
inline constexpr const char* CryptoFailed = "Kryptografie (%s) fehlgeschlagen";
inline constexpr const char* CryptoKey = "AES-Schlüssel";
inline constexpr const char* CryptoRandom = "Zufall";

// Why an archive or an entry cannot be read, and why a file operation failed.
inline constexpr const char* PartZip64End = "ZIP64-Endsatz";
inline constexpr const char* PartZip64Field = "ZIP64-Feld";
inline constexpr const char* MultiPart = "mehrteiliges Archiv";
inline constexpr const char* NoEndRecord = "kein ZIP-Archiv oder Ende fehlt";
inline constexpr const char* TooShort = "Archiv zu kurz";
inline constexpr const char* CentralIncomplete = "zentrales Verzeichnis unvollständig";
inline constexpr const char* PasswordMissing = "Kennwort fehlt";
inline constexpr const char* PasswordMismatch = "Kennwort falsch";
inline constexpr const char* PartSaltCheck = "Salz und Kennwortprüfwert";
inline constexpr const char* MethodUnknown = "Methode oder Verschlüsselung unbekannt";
inline constexpr const char* PartAesFrame = "AES-Rahmen";
inline constexpr const char* PartEncryptionHeader = "Verschlüsselungskopf";
inline constexpr const char* MoreDataThanSaid = "mehr Daten als angegeben";
inline constexpr const char* PartDeflateData = "Deflate-Daten";
inline constexpr const char* PartMac = "MAC";
inline constexpr const char* PartCrc = "CRC";
inline constexpr const char* AlreadyExists = "existiert bereits";
inline constexpr const char* AccessDenied = "Zugriff verweigert";
inline constexpr const char* Locked = "von einem anderen Programm gesperrt";
inline constexpr const char* PartlyLocked = "Teile der Datei sind gesperrt";
inline constexpr const char* DiskFull = "Datenträger voll";
inline constexpr const char* WriteProtected = "Datenträger schreibgeschützt";
inline constexpr const char* WindowsError = "Windows-Fehler ";  // and the code

}  // namespace dszip::texts
