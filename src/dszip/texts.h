#pragma once
// Every text dszip's command line shows or logs beyond the engine's (engine/texts.h), in one
// place. UTF-8; the console layer converts. The source stays ASCII: letters beyond it are
// universal character names (\u00e4 for a-umlaut, \u201e and \u201c for the German quotes),
// which the compiler writes as UTF-8.

namespace dszip::texts {

inline constexpr const char* Usage =
    "Aufruf: dszip a|m [-m0|-ms|-mf|-mn|-mx|-m0..-m5] [-ai|-ao] [-ac] [-r|-r-] [-hp<Kennwort>] "
    "[-behalten:<Regeln>] <Archiv.zip> <Quelle> [<Quelle> ...]";
// dszip, dszip /? and dszip -h: every command, the switches and the exit codes.
inline constexpr const char* Help =
    "dszip: Sicherung in ZIP-Archive und Wiederherstellung daraus\n"
    "\n"
    "Befehle:\n"
    "  a  Quellen in ein neues Archiv sichern\n"
    "  m  wie a, danach die gesicherten Dateien l\u00f6schen (erst nach der Pr\u00fcfung des "
    "Archivs)\n"
    "  x  entpacken mit den gespeicherten Pfaden\n"
    "  e  entpacken ohne Pfade, alle Dateien in einen Ordner\n"
    "  t  ein Archiv pr\u00fcfen, ohne etwas zu schreiben; t <Ordner>\\ pr\u00fcft jedes Archiv "
    "und jede Kette im Ordner\n"
    "  l  den Inhalt eines Archivs auflisten\n"
    "  b  die Sicherungss\u00e4tze eines Ordners zeigen, mit -behalten: was bliebe und was "
    "gel\u00f6scht w\u00fcrde\n"
    "\n"
    "Aufruf:\n"
    "  dszip a|m [Schalter] <Archiv.zip> <Quelle> [<Quelle> ...]\n"
    "  dszip x|e|t|l [Schalter] <Archiv.zip> [<Zielordner>\\] [<Name oder Maske> ...]\n"
    "  dszip t [-p<Kennwort>] <Ordner>\\\n"
    "  dszip b <Ordner>\\ [-behalten:<Regeln>]\n"
    "\n"
    "Schalter f\u00fcr a und m:\n"
    "  -m0 -ms -mf -mn -mx, -m0 bis -m5   Kompression, von speichern bis beste\n"
    "  -ai                  jede Datei; kein Attribut wird ge\u00e4ndert (Vollsicherung)\n"
    "  -ao                  nur Dateien mit gesetztem Archiv-Attribut\n"
    "  -ac                  das Archiv-Attribut gesicherter Dateien l\u00f6schen "
    "(-ao -ac: inkrementell)\n"
    "  -r, -r-              mit Unterordnern (Vorgabe), nur die oberste Ebene\n"
    "  -hp<Kennwort>        mit AES-256 verschl\u00fcsseln\n"
    "  -behalten:<Regeln>   danach den Ordner ausd\u00fcnnen: n, nT, nW, nM, nJ, durch Kommas "
    "getrennt, etwa -behalten:7T,4W,12M\n"
    "Schalter f\u00fcr x, e, t und l:\n"
    "  -p<Kennwort>         das Kennwort (auch -hp<Kennwort>); sonst fragt dszip danach, "
    "au\u00dfer bei t <Ordner>\\\n"
    "  -o+, -o-             vorhandene Dateien ersetzen, ohne Warnung \u00fcberspringen "
    "(Vorgabe: behalten, mit Warnung)\n"
    "  -r-                  Namen und Masken nur in ihrem eigenen Ordner\n"
    "  -kette               mit x und l: der ganze Stand einer Nacht aus der Kette ihrer "
    "Archive\n"
    "\n"
    "Exit-Codes:\n"
    "  0    in Ordnung\n"
    "  1    Warnung (die Zusammenfassung nennt sie); t <Ordner>\\: etwas ist zweifelhaft\n"
    "  2    Fehler; t <Ordner>\\: ein Archiv ist besch\u00e4digt oder eine Kette unterbrochen\n"
    "  7    Aufruf oder Kennwort abgelehnt\n"
    "  9    Archiv gibt es schon, oder es kann nicht angelegt werden\n"
    "  10   nichts zu sichern\n"
    "  11   falsches Kennwort\n"
    "  255  abgebrochen\n"
    "\n"
    "Jeder Lauf hinterl\u00e4sst seine Zusammenfassung im zentralen Protokoll "
    "%LOCALAPPDATA%\\Datensicherung\\dszip.log und in der Ereignisanzeige.";
inline constexpr const char* NoCommand =
    "Kein Befehl angegeben: erwartet wird a (hinzuf\u00fcgen), m (verschieben), "
    "x oder e (entpacken), t (pr\u00fcfen), l (auflisten) oder b (S\u00e4tze zeigen).";
inline constexpr const char* UnknownCommand =
    "Unbekannter Befehl \u201e%s\u201c: erwartet wird a (hinzuf\u00fcgen), m (verschieben), "
    "x oder e (entpacken), t (pr\u00fcfen), l (auflisten) oder b (S\u00e4tze zeigen). "
    "Alle Befehle und Schalter zeigt dszip /?";
inline constexpr const char* UnknownSwitch = "Unbekannter Schalter \u201e%s\u201c.";
inline constexpr const char* BadLevel =
    "Unbekannte Kompressionsstufe \u201e%s\u201c: "
    "erlaubt sind -m0, -ms, -mf, -mn, -mx und -m0 bis -m5.";
inline constexpr const char* ConflictAiAo = "Die Schalter -ai und -ao schlie\u00dfen einander aus.";
inline constexpr const char* ConflictAiAc =
    "Die Schalter -ai und -ac schlie\u00dfen einander aus (-ai \u00e4ndert kein Attribut).";
inline constexpr const char* NoArchive = "Kein Archiv angegeben.";
inline constexpr const char* NoSource = "Keine Quelle angegeben.";
inline constexpr const char* NotZip =
    "Archiv \u201e%s\u201c: dszip schreibt nur ZIP-Archive; der Name muss auf .zip enden.";
inline constexpr const char* WildcardInArchive =
    "Archiv \u201e%s\u201c: der Archivname darf keine Platzhalter (* oder ?) enthalten.";
inline constexpr const char* BadSource =
    "Quelle \u201e%s\u201c: Platzhalter (* oder ?) sind nur im letzten Teil erlaubt, "
    "Anf\u00fchrungszeichen gar nicht.";

inline constexpr const char* ArchiveExists =
    "Das Archiv %s gibt es schon; dszip \u00fcberschreibt und erg\u00e4nzt keine Archive.";
inline constexpr const char* NameTakenMeanwhile =
    "Der Name %s ist von einem anderen Lauf vergeben, der zugleich sicherte; das Archiv hei\u00dft "
    "%s.";
inline constexpr const char* ArchiveNotCreated = "Das Archiv %s kann nicht angelegt werden: %s";
inline constexpr const char* NothingToArchive =
    "Nichts zu sichern: keine Datei passt zu den Quellen und Schaltern. "
    "Es wurde kein Archiv geschrieben.";
inline constexpr const char* Interrupted =
    "Abgebrochen. Es wurde kein Archiv geschrieben; alle Quelldateien sind unver\u00e4ndert.";
inline constexpr const char* EncryptionNote =
    "Hinweis: ZIP verschl\u00fcsselt nur den Inhalt. "
    "Dateinamen, Gr\u00f6\u00dfen und Zeiten im Archiv bleiben lesbar.";

inline constexpr const char* SourceMissing = "Quelle nicht gefunden: %s";
inline constexpr const char* NoSourceFound =
    "Keine der Quellen gibt es: %s. Es wurde kein Archiv geschrieben.";
inline constexpr const char* SourceProtected = "Quelle \u201e%s\u201c wird nicht gesichert: %s.";
inline constexpr const char* FolderLeftOut = "Ordner ausgelassen: %s (%s)";
inline constexpr const char* ArchiveFolderReason =
    "Ordner des Archivs; fr\u00fchere Sicherungen und ihr Protokoll werden nicht mitgesichert";
inline constexpr const char* CentralLogFolderReason =
    "Ordner des zentralen Protokolls; es wird nicht mitgesichert";
inline constexpr const char* LinkNotFollowed = "Verkn\u00fcpfter Ordner nicht verfolgt: %s";
inline constexpr const char* FolderTakenOnce =
    "Ordner nur einmal gesichert: %s ist derselbe Ordner wie %s";
inline constexpr const char* FileThroughLink =
    "\u00dcber eine Verkn\u00fcpfung gesichert, ihr Ziel bleibt unber\u00fchrt: %s";
inline constexpr const char* FolderUnreadable = "Ordner nicht lesbar: %s (%s)";
inline constexpr const char* DuplicateName = "Doppelter Name im Archiv, \u00fcbersprungen: %s";
inline constexpr const char* NotCleared = "Archiv-Attribut nicht gel\u00f6scht: %s (%s)";
inline constexpr const char* NotDeleted = "Nicht gel\u00f6scht: %s (%s)";
inline constexpr const char* Verifying = "Pr\u00fcfe das Archiv ...";
inline constexpr const char* PressKey =
    "Weiter mit einer beliebigen Taste (das Fenster schlie\u00dft sich sonst in 60 Sekunden) ...";
// A note under "Hinweise", so without a "Hinweis:" of its own.
inline constexpr const char* CodePageNote =
    "Das Kennwort enth\u00e4lt Zeichen au\u00dferhalb von ASCII. "
    "Andere Programme \u00f6ffnen das Archiv nur, "
    "wenn sie das Kennwort im Windows-Zeichensatz (Windows-1252) nehmen.";
inline constexpr const char* TargetFolderCreated = "Zielordner angelegt: %s";

// Restoring: x, e, t, l, and an archive dropped on the program.
inline constexpr const char* RestoreUsage =
    "Aufruf: dszip x|e|t|l [-kette] [-p<Kennwort>] [-o+|-o-] [-r-] <Archiv.zip> "
    "[<Zielordner>\\] [<Name oder Maske> ...]";
// x -kette and l -kette: a night's state from a chain of archives.
inline constexpr const char* ChainOnlyForXAndL =
    "Der Schalter -kette gilt nur f\u00fcr x und l: eine Nacht wird als ganzer Ordnerbaum "
    "entpackt oder aufgelistet.";
// x, e, t and l read archives; t <folder>\ reads every archive of a folder.
inline constexpr const char* RestoreNotZip =
    "Archiv \u201e%s\u201c: dszip liest nur ZIP-Archive; der Name muss auf .zip enden. "
    "Alle Archive eines Ordners pr\u00fcft dszip t <Ordner>\\";
inline constexpr const char* BadTarget =
    "Zielordner \u201e%s\u201c: Anf\u00fchrungszeichen sind im Namen nicht erlaubt.";
inline constexpr const char* RestoreEmptyPassword =
    "Der Schalter %s braucht ein Kennwort direkt dahinter, etwa %sGeheim.";
inline constexpr const char* PressKeyToClose =
    "Fenster schlie\u00dfen mit einer beliebigen Taste ...";

// t <folder>\: every archive of a folder, set by set.
inline constexpr const char* FolderTestUsage = "Aufruf: dszip t [-p<Kennwort>] <Ordner>\\";
inline constexpr const char* FolderTestNames =
    "t <Ordner>\\ pr\u00fcft jedes Archiv des Ordners; Namen oder Masken dahinter gibt es "
    "nicht.";
inline constexpr const char* BackupProgress = "Dateien %s/%s  %s/%s  %s %  %s/s";
inline constexpr const char* SummarySources = "Quellen: %s";
inline constexpr const char* SummaryEncrypted = "Verschl\u00fcsselt: %s";
inline constexpr const char* EncryptedYes = "ja (AES-256)";
inline constexpr const char* EncryptedNo = "nein";
inline constexpr const char* SummaryCounts =
    "Dateien: %s, Ordner: %s, Daten: %s, Archiv: %s (%s %)";
inline constexpr const char* SummaryDuration = "Dauer: %s s";
inline constexpr const char* SummaryRate = ", %s/s";

}  // namespace dszip::texts
