#pragma once
// Every text the engine shows or logs, in one place, for every front end. UTF-8; the console layer
// converts. The source stays ASCII: letters beyond it are universal character names (\u00e4 for
// a-umlaut, \u201e and \u201c for the German quotes), which the compiler writes as UTF-8.

namespace dszip::texts {

inline constexpr const char* EmptyPassword =
    "Der Schalter -hp braucht ein Kennwort direkt dahinter, etwa -hpGeheim.";
inline constexpr const char* NotInChain =
    "Nicht wiederhergestellt: %s (in der Zustandsliste dieser Nacht, aber in keinem Archiv der "
    "Kette)";
inline constexpr const char* WriteFailed = "Schreiben des Archivs fehlgeschlagen: %s";
inline constexpr const char* VerifyFailed = "Pr\u00fcfung des Archivs fehlgeschlagen (%s): %s";
inline constexpr const char* FileUnreadable = "Nicht gesichert, nicht lesbar: %s (%s)";
inline constexpr const char* FileChangedWhileRead =
    "W\u00e4hrend des Lesens wiederholt ver\u00e4ndert, "
    "m\u00f6glicherweise uneinheitlich gesichert: %s";
inline constexpr const char* GrewPastHeader =
    "Nicht gesichert, w\u00e4hrend des Lesens \u00fcber 4 GiB gewachsen: %s";
inline constexpr const char* ChangedSince = "seit dem Lesen ver\u00e4ndert";

inline constexpr const char* MoreWarnings = "... und %s weitere, alle in dszip.log";  // listed
inline constexpr const char* ResultOk = "Erfolgreich";
inline constexpr const char* ResultWarning = "Mit Warnungen";
inline constexpr const char* ResultFailed = "Fehlgeschlagen";
inline constexpr const char* ResultNothing = "Nichts zu sichern";
inline constexpr const char* ResultInterrupted = "Abgebrochen";

// The run's verdict: passwords, the target folder, leftovers, the central log.
inline constexpr const char* PasswordNotCp1252 =
    "Das Kennwort enth\u00e4lt Zeichen au\u00dferhalb des Windows-Zeichensatzes (Windows-1252). "
    "Bitte ein anderes Kennwort w\u00e4hlen.";
inline constexpr const char* PasswordTooLong =
    "Das Kennwort ist zu lang: h\u00f6chstens %s Zeichen, "
    "sonst \u00f6ffnen die \u00fcblichen ZIP-Programme das Archiv nicht.";
inline constexpr const char* TargetUnreachable = "Ziellaufwerk %s ist nicht erreichbar.";
inline constexpr const char* TargetFolderNotCreated =
    "Der Zielordner %s kann nicht angelegt werden: %s";
inline constexpr const char* LeftoverRemoved = "Reste eines abgebrochenen Laufs entfernt: %s";
inline constexpr const char* CentralLogFailed =
    "Das zentrale Protokoll %s kann nicht geschrieben werden: %s";
inline constexpr const char* LocalLogFailed = "Das Protokoll %s kann nicht geschrieben werden: %s";
inline constexpr const char* CommandLine = "Aufruf: dszip %s";
inline constexpr const char* ChainNote =
    "Stand aus einer Kette von %s Archiven, ab der Vollsicherung %s";
inline constexpr const char* ListedFrom = "%s   (aus %s)";
inline constexpr const char* StateListMarked =
    "%s   (Zustandsliste der Sicherung, wird nicht entpackt)";
inline constexpr const char* ArchiveUnreadable = "Das Archiv %s kann nicht gelesen werden: %s";
inline constexpr const char* PasswordPrompt = "Kennwort f\u00fcr %s: ";
inline constexpr const char* PasswordNeeded =
    "Das Archiv enth\u00e4lt verschl\u00fcsselte Dateien. "
    "Bitte das Kennwort mit -p<Kennwort> angeben; ohne Konsole kann dszip nicht danach fragen.";
inline constexpr const char* PasswordWrong = "Das Kennwort ist falsch. Es wurde nichts entpackt.";
// A try at the prompt, and t, which unpacks nothing in any case.
inline constexpr const char* PasswordWrongTry = "Das Kennwort ist falsch.";
inline constexpr const char* NoPasswordTyped = "Kein Kennwort eingegeben.";
inline constexpr const char* RestorePasswordNotCp1252 =
    "Das Kennwort enth\u00e4lt Zeichen au\u00dferhalb des Windows-Zeichensatzes (Windows-1252); "
    "mit ihm kann dszip nicht entpacken.";
inline constexpr const char* NothingSelected =
    "Kein Eintrag im Archiv passt zu den angegebenen Namen.";
// What a restore says beyond what it did; notes, so without a "Hinweis:" of their own.
inline constexpr const char* FolderTakenAsTarget =
    "\u201e%s\u201c passt zu keinem Eintrag im Archiv, ist aber ein vorhandener Ordner: "
    "er ist der Zielordner. Einen Zielordner bitte mit \\ am Ende angeben: \u201e%s\u201c.";
inline constexpr const char* TargetNeedsBackslash =
    "Ein Zielordner wird mit \\ am Ende angegeben, etwa \u201e%s\u201c; ohne es ist "
    "\u201e%s\u201c ein Name im Archiv, und einen Ordner dieses Namens gibt es nicht.";
inline constexpr const char* ChainCommand = "dszip x -kette \"%s\" \"%s\"";
inline constexpr const char* IncrementalNeedsChain =
    "Dieses Archiv ist inkrementell: es enth\u00e4lt nur, was sich seit dem Archiv davor "
    "ge\u00e4ndert hat. Den ganzen Stand dieser Nacht, ab der Vollsicherung %s, entpackt: %s";
inline constexpr const char* IncrementalChainBroken =
    "Dieses Archiv ist inkrementell: es enth\u00e4lt nur, was sich seit dem Archiv davor "
    "ge\u00e4ndert hat. Den ganzen Stand dieser Nacht entpackt %s; doch im Ordner des Archivs "
    "fehlt ein Glied seiner Kette bis zur Vollsicherung.";
inline constexpr const char* ChainIntoFilledFolder =
    "Der Zielordner %s ist nicht leer: vorhandene Dateien bleiben, wie sie sind (mit Warnung), "
    "und Dateien, die bis zu dieser Nacht gel\u00f6scht wurden, bleiben im Ordner. -o+ ersetzt "
    "vorhandene Dateien, -o- \u00fcberspringt sie ohne Warnung; genau den Stand dieser Nacht "
    "gibt ein leerer Zielordner.";
inline constexpr const char* ChainDeletedFilesStay =
    "Der Zielordner %s ist nicht leer: Dateien, die bis zu dieser Nacht gel\u00f6scht wurden, "
    "bleiben im Ordner; genau den Stand dieser Nacht gibt ein leerer Zielordner.";
inline constexpr const char* RefusedName = "Nicht entpackt, unsicherer Name (%s): %s";
inline constexpr const char* NameParent = "\u201e..\u201c";
inline constexpr const char* NameAbsolute = "absoluter Pfad oder leerer Teil";
inline constexpr const char* NameStream = "\u201e:\u201c, Laufwerk oder Datenstrom";
inline constexpr const char* NameDevice = "Ger\u00e4tename";
inline constexpr const char* NameTrailing = "Punkt oder Leerzeichen am Ende";
inline constexpr const char* NameControl = "Steuerzeichen";
inline constexpr const char* NameCharacter = "unter Windows unzul\u00e4ssiges Zeichen";
inline constexpr const char* NameEncoding = "kein g\u00fcltiges UTF-8";
inline constexpr const char* NameDuplicate =
    "gleicht einem fr\u00fcheren Namen bis auf Gro\u00df- und Kleinschreibung";
inline constexpr const char* NameRepeated = "steht schon fr\u00fcher im Archiv";
inline constexpr const char* UnknownMethod = "Nicht entpackt, %s wird nicht unterst\u00fctzt: %s";
inline constexpr const char* EntryDamaged = "Fehlerhaft, nicht entpackt: %s (%s)";
inline constexpr const char* EntryFailsTest = "Fehlerhaft: %s (%s)";
inline constexpr const char* SharedData = "teilt seine Daten mit einem anderen Eintrag";
inline constexpr const char* EntryExists = "Nicht \u00fcberschrieben, gibt es schon: %s";
inline constexpr const char* EntryNotWritten = "Nicht entpackt: %s (%s)";
inline constexpr const char* RestoreFailed =
    "Entpacken abgebrochen: %s. Bereits entpackte Dateien bleiben; keine halb geschriebene Datei.";
inline constexpr const char* RestoreInterrupted =
    "Abgebrochen. Bereits entpackte Dateien bleiben; keine halb geschriebene Datei.";
inline constexpr const char* TargetNotCreated = "Der Zielordner %s kann nicht angelegt werden: %s";
inline constexpr const char* Testing = "Pr\u00fcfe ...";
inline constexpr const char* Extracting = "Entpacke ...";
inline constexpr const char* FolderChecked = "Gepr\u00fcfter Ordner: %s";
inline constexpr const char* CheckedArchive = "  %s  %s  %s";  // name, kind, verdict
inline constexpr const char* CheckFinding = "    %s";
inline constexpr const char* MoreFindings = "    ... und %s weitere";
inline constexpr const char* CheckSound = "in Ordnung, %s gepr\u00fcft";  // "3 Dateien"
inline constexpr const char* CheckDoubtful = "zweifelhaft";
inline constexpr const char* CheckDamaged = "fehlerhaft";
inline constexpr const char* CheckSetVerdict = "  Satz %s: %s";
inline constexpr const char* CheckSetSound = "in Ordnung";
inline constexpr const char* CheckWithoutRecord = "Ohne Angaben zum Satz, nicht beurteilt: %s";
inline constexpr const char* CheckTotal =
    "Gesamt: S\u00e4tze %s, Archive %s: %s in Ordnung, %s zweifelhaft, %s fehlerhaft";
inline constexpr const char* CheckPasswordMissing =
    "verschl\u00fcsselt; ohne -p<Kennwort> nicht gepr\u00fcft";
inline constexpr const char* CheckPasswordWrong =
    "verschl\u00fcsselt; das angegebene Kennwort passt nicht, nicht gepr\u00fcft";
inline constexpr const char* CheckChainBroken =
    "Kette unterbrochen: %s fehlt, ist nicht lesbar oder geh\u00f6rt zu einem anderen Satz";
inline constexpr const char* CheckStateListUnreadable =
    "die Zustandsliste ist nicht lesbar; ob die Kette die ganze Nacht h\u00e4lt, ist "
    "ungepr\u00fcft";
inline constexpr const char* CheckStateNameMissing =
    "die Zustandsliste nennt %s, doch kein Archiv der Kette ab %s enth\u00e4lt es";

// Summaries of a backup and a restore, progress, the listing, and reasons named in other texts.
inline constexpr const char* NoMemory = "kein Speicher";
inline constexpr const char* NotFound = "nicht gefunden";
inline constexpr const char* PercentDone = "%s %s %";  // "Pruefe das Archiv ... 40 %"
inline constexpr const char* TimeSpan = "%s bis %s";
inline constexpr const char* SummaryArchive = "Archiv: %s";
inline constexpr const char* NotesHeading = "Hinweise";
inline constexpr const char* WarningsHeading = "Warnungen";
inline constexpr const char* SectionHeading = "%s (%s):";  // heading, number of items
inline constexpr const char* ListedItem = "  %s";          // an item below its heading
inline constexpr const char* ResultLine = "Ergebnis: %s (Exit-Code %s)";
inline constexpr const char* SummaryTarget = "Ziel: %s";
inline constexpr const char* Tested = "Gepr\u00fcft: %s, %s in %s s";  // "3 Dateien", ...
inline constexpr const char* Extracted = "Entpackt: %s, %s in %s s";
inline constexpr const char* OneFile = "1 Datei";
inline constexpr const char* Files = "%s Dateien";
inline constexpr const char* ListingHeading =
    "Datum      Zeit     Attr         Gr\u00f6\u00dfe      Gepackt Methode   Name";
inline constexpr const char* ListingTotal =
    "Summe: %s, %s Ordner, %s, gepackt %s (* verschl\u00fcsselt)";
inline constexpr const char* MethodOtherEncryption = "diese Verschl\u00fcsselung";
inline constexpr const char* MethodNumber = "die Methode %s";
inline constexpr const char* FolderInTheWay = "ein Ordner dieses Namens ist da";
inline constexpr const char* FileInTheWay = "eine Datei dieses Namens ist da";
inline constexpr const char* AllNamesTaken = "alle Namen vergeben";
inline constexpr const char* PartLocalHeader = "lokaler Kopf";
inline constexpr const char* PartLength = "L\u00e4nge";
inline constexpr const char* PartCentralDirectory = "zentrales Verzeichnis";
inline constexpr const char* PartEndRecord = "Endsatz";
inline constexpr const char* CryptoFailed = "Kryptografie (%s) fehlgeschlagen";
inline constexpr const char* CryptoKey = "AES-Schl\u00fcssel";
inline constexpr const char* CryptoRandom = "Zufall";
inline constexpr const char* DeflateFailed = "Komprimieren fehlgeschlagen (Deflate)";

// Why an archive or an entry cannot be read (why a system call failed: win32_common).
inline constexpr const char* PartZip64End = "ZIP64-Endsatz";
inline constexpr const char* PartZip64Field = "ZIP64-Feld";
inline constexpr const char* MultiPart = "mehrteiliges Archiv";
inline constexpr const char* NoEndRecord = "kein ZIP-Archiv oder Ende fehlt";
inline constexpr const char* TooShort = "Archiv zu kurz";
inline constexpr const char* CentralIncomplete = "zentrales Verzeichnis unvollst\u00e4ndig";
inline constexpr const char* PasswordMissing = "Kennwort fehlt";
inline constexpr const char* PasswordMismatch = "Kennwort falsch";
inline constexpr const char* PartSaltCheck = "Salz und Kennwortpr\u00fcfwert";
inline constexpr const char* MethodUnknown = "Methode oder Verschl\u00fcsselung unbekannt";
inline constexpr const char* PartAesFrame = "AES-Rahmen";
inline constexpr const char* PartEncryptionHeader = "Verschl\u00fcsselungskopf";
inline constexpr const char* MoreDataThanSaid = "mehr Daten als angegeben";
inline constexpr const char* PartDeflateData = "Deflate-Daten";
inline constexpr const char* PartMac = "MAC";
inline constexpr const char* PartCrc = "CRC";

// Restoring: an old file a failed replace could not leave as it was.
inline constexpr const char* AttributesNotPutBack =
    "Schreibschutz von %s nicht wiederhergestellt: %s";

}  // namespace dszip::texts
