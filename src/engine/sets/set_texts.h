#pragma once
// The fixed texts of backup sets. Those written into an archive (the record's labels, the
// state list's head) are plain ASCII, so that every ZIP reader shows them alike; the messages
// are UTF-8 like the rest of dszip's texts (universal character names keep the source ASCII).

namespace dszip::sets::texts {

// The record in the archive comment.
inline constexpr const char* RecordStart = "dszip-Sicherungssatz";
inline constexpr const char* RecordHead = "dszip-Sicherungssatz, Format 2";
inline constexpr const char* RecordHeadFirst = "dszip-Sicherungssatz, Format 1";
inline constexpr const char* IdLabel = "Kennung: ";
inline constexpr const char* SequenceLabel = "Nummer: ";
inline constexpr const char* ComputerLabel = "Computer: ";
inline constexpr const char* FollowsIdLabel = "Folgt auf Kennung: ";
inline constexpr const char* FollowsDirectoryLabel = "Folgt auf Verzeichnis: ";
inline constexpr const char* DirectoryDigestText = "%s Bytes, CRC-32 %s";
inline constexpr const char* KindLabel = "Art: ";
inline constexpr const char* KindFull = "voll";
inline constexpr const char* KindIncremental = "inkrementell";
inline constexpr const char* KindMoved = "verschoben";
inline constexpr const char* MadeLabel = "Erstellt: ";
inline constexpr const char* FollowsLabel = "Folgt auf: ";
inline constexpr const char* RecurseLabel = "Unterordner: ";
inline constexpr const char* SourceLabel = "Quelle: ";
inline constexpr const char* SourcesDigestLabel = "Quellen-Kennung: ";
inline constexpr const char* SourcesDigestNote = " (Liste zu lang fuer den Kommentar)";

// The state list entry.
inline constexpr const char* StateListHead =
    "dszip-Zustandsliste, Format 1: Groesse, Aenderung (UTC), Name";

// Why an archive stays.
inline constexpr const char* KeptThisRun = "Dieser Lauf";
inline constexpr const char* KeptNewestArchive = "Neuestes Archiv";  // b: no run to speak of
inline constexpr const char* KeptNewest = "Neueste %s";
inline constexpr const char* KeptDay = "Tag %s";
inline constexpr const char* KeptWeek = "Woche %s/%s";
inline constexpr const char* KeptMonth = "Monat %s/%s";
inline constexpr const char* KeptYear = "Jahr %s";
inline constexpr const char* KeptChain = "Kette von %s";
inline constexpr const char* KeptFuture = "Datiert nach diesem Lauf";
inline constexpr const char* KeptMoved = "Verschoben, einzige Kopie";
inline constexpr const char* KeptByMoveRun = "Ein Lauf mit m d\u00fcnnt nicht aus";
inline constexpr const char* KeptForWarnings =
    "Letzte ganze Kopie einer Datei, die dieser Lauf nicht ganz sichern konnte";
inline constexpr const char* KeptLastFull = "Letzte Vollsicherung";
inline constexpr const char* KeptTwin = "Gleiche Nummer wie %s (zwei L\u00e4ufe zugleich)";
inline constexpr const char* MovedThinsNothing =
    "-behalten wirkt nicht bei m; verschobene Archive halten die einzige Kopie und "
    "werden nie gel\u00f6scht.";

// A backup's place in its set, in the summary.
inline constexpr const char* FollowsNote =
    "Inkrementell: folgt auf %s, das Archiv dieses Satzes mit der h\u00f6chsten Nummer im "
    "Zielordner.";
inline constexpr const char* FollowsNothingInDoubt =
    "Inkrementell: dieses Archiv folgt auf keines, denn %s. Es enth\u00e4lt die \u00c4nderungen "
    "seit der Sicherung davor; eine Wiederherstellung mit -kette nimmt nur es selbst.";
inline constexpr const char* LinklessThinsNothing = "%s folgt auf kein Archiv";
inline constexpr const char* FollowsNothing =
    "Inkrementell: im Zielordner ist kein fr\u00fcheres Archiv dieses Satzes; dieses Archiv folgt "
    "auf keines.";
inline constexpr const char* FolderNotListed =
    "Der Ordner %s kann nicht gelesen werden (%s): Satz und Ausd\u00fcnnen ohne ihn.";
inline constexpr const char* NameReserved =
    "Nicht gesichert: %s (der Name ist der Zustandsliste vorbehalten)";

// Doubts about a folder: while one stands, nothing there is thinned.
inline constexpr const char* ThinningSkipped = "Ausd\u00fcnnen ausgelassen: %s.";
inline constexpr const char* DoubtUnreadable = "%s ist nicht lesbar (%s)";
inline constexpr const char* RecordDamaged =
    "die Angaben zum Satz im Kommentar lassen sich nicht lesen";
inline constexpr const char* DoubtSameId = "%s tragen dieselbe Kennung %s";
inline constexpr const char* DoubtFuture =
    "%s ist auf %s datiert, sp\u00e4ter als die Uhr dieses Laufs";
inline constexpr const char* DoubtGap = "die Kette von %s ist unterbrochen: %s";
inline constexpr const char* GapMissing = "%s fehlt";
inline constexpr const char* GapLoop = "die Glieder vor %s folgen im Kreis aufeinander";
inline constexpr const char* GapSwapped = "%s ist nicht mehr das Archiv, auf das %s folgt";
inline constexpr const char* NoteSameNumber =
    "%s tragen dieselbe Nummer %s (zwei L\u00e4ufe zugleich); ein neues Archiv folgt auf %s.";
inline constexpr const char* NewestInDoubt = "%s teilt seine Kennung mit einer anderen Datei";

// Thinning after a backup.
inline constexpr const char* DeletedHeading = "Beim Ausd\u00fcnnen gel\u00f6scht";
inline constexpr const char* KeptHeading = "Behalten";
inline constexpr const char* KeptLine = "%s: %s";  // archive, its reasons
inline constexpr const char* NotThinned = "Nicht gel\u00f6scht beim Ausd\u00fcnnen: %s (%s)";
inline constexpr const char* SetNotFound =
    "Nicht ausged\u00fcnnt: das neue Archiv %s ist im Zielordner nicht als Teil eines Satzes "
    "lesbar.";
inline constexpr const char* NotThinnedUnknown =
    "Nicht ausged\u00fcnnt: eine Quelle fehlt oder ein Ordner war nicht lesbar; was dort liegt, "
    "ist nur in fr\u00fcheren Archiven.";
inline constexpr const char* AlreadyGone =
    "%s war beim Ausd\u00fcnnen schon gel\u00f6scht (von einem anderen Lauf).";
inline constexpr const char* ChainStays = "bleibt, weil %s nicht gel\u00f6scht werden konnte";

// Listing a folder's sets: b.
inline constexpr const char* ListingUsage = "Aufruf: dszip b <Ordner>\\ [-behalten:<Regeln>]";
inline constexpr const char* ListingNoFolder = "Kein Ordner angegeben.";
inline constexpr const char* ListingFolderUnreadable =
    "Der Ordner %s kann nicht gelesen werden: %s";
inline constexpr const char* ListingSet = "Satz %s: %s (%s)";  // number, sources, -r or -r-
inline constexpr const char* ListingComputer = ", Computer %s";
// name, date, kind, number and identity, size, link
inline constexpr const char* ListingArchive = "  %s  %s  %s  %s  %s%s";
inline constexpr const char* ListingIdentity = "Nr. %s  %s";
inline constexpr const char* ListingFirstFormat = "Format 1";
inline constexpr const char* ListingFollows = "  folgt auf %s";
inline constexpr const char* ListingBroken = "  Kette unterbrochen: %s";
inline constexpr const char* ListingDoubt = "Zweifel, nichts w\u00fcrde ausged\u00fcnnt: %s.";
inline constexpr const char* ListingInDoubt =
    "Ausd\u00fcnnen ausgelassen, solange die Zweifel unten bestehen.";
inline constexpr const char* ListingWouldKeep = "  Bliebe: %s (%s)";
inline constexpr const char* ListingWouldDelete = "  W\u00fcrde gel\u00f6scht: %s";
inline constexpr const char* ListingNote = "  %s";
inline constexpr const char* ListingNothingDeleted = "  Nichts w\u00fcrde gel\u00f6scht.";
inline constexpr const char* ListingNoSets = "Im Ordner %s ist kein Archiv mit Angaben zum Satz.";
inline constexpr const char* ListingForeign = "Ohne Angaben zum Satz (wird nie angetastet): %s";

// Command-line errors and restore errors.
inline constexpr const char* BadRule =
    "Ung\u00fcltige Regel \u201e%s\u201c in -behalten: erlaubt sind n, nT, nW, nM und nJ mit n "
    "von 1 bis 9999, durch Kommas getrennt, ohne Leerzeichen, etwa -behalten:7T,4W,12M.";
inline constexpr const char* EmptyRule =
    "Leere Regel in \u201e-behalten:%s\u201c: vor, zwischen oder nach den Kommas fehlt eine "
    "Regel. Erlaubt sind n, nT, nW, nM und nJ mit n von 1 bis 9999, durch Kommas getrennt, "
    "ohne Leerzeichen, etwa -behalten:7T,4W,12M.";
inline constexpr const char* ChainLinkMissing =
    "Ein Glied der Kette fehlt oder ist nicht lesbar: %s. Es wurde nichts entpackt.";
inline constexpr const char* StateListMissing =
    "Das Archiv %s hat keine lesbare Zustandsliste. Es wurde nichts entpackt.";

}  // namespace dszip::sets::texts
