#include "engine/verdict.h"

#include <algorithm>

#include "core/filled.h"
#include "core/two_digits.h"
#include "engine/outcome.h"
#include "engine/target_folder.h"
#include "engine/texts.h"

namespace dszip {
namespace {

std::string DateTimeText(const CivilTime& t) {
  return TwoDigits(t.day) + "." + TwoDigits(t.month) + "." + std::to_string(t.year) + " " +
         TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
}

// The arguments as one line for the logs, each password masked whole before the line is
// joined, those with blanks in quotes.
std::string LoggedArguments(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    const std::string shown = runlog::MaskedArgument(argument);
    if (!line.empty()) line += ' ';
    line += argument.find_first_of(" \t") == std::string::npos ? shown : "\"" + shown + "\"";
  }
  return line;
}

// A line of the summary. Listed items stand indented below their heading, and on the console
// perhaps only a screenful of them.
struct SummaryLine {
  enum Kind { Plain, Listed, ListedWhole };
  std::string text;
  Kind kind = Plain;
  std::string Text() const { return kind == Plain ? text : Filled(texts::ListedItem, {text}); }
};

void AddSection(std::vector<SummaryLine>& lines, const char* heading,
                const std::vector<std::string>& items,
                SummaryLine::Kind kind = SummaryLine::Listed) {
  if (items.empty()) return;
  lines.push_back({Filled(texts::SectionHeading, {heading, std::to_string(items.size())})});
  for (const std::string& item : items) lines.push_back({item, kind});
}

std::vector<SummaryLine> SummaryLines(const Summary& summary) {
  std::vector<SummaryLine> lines{{Filled(texts::SummaryArchive, {summary.archive})}};
  for (const std::string& line : summary.lines) lines.push_back({line});
  AddSection(lines, texts::NotesHeading, summary.notes);
  AddSection(lines, texts::WarningsHeading, summary.warnings);
  for (const WholeList& list : summary.wholeLists)
    AddSection(lines, list.heading, list.items, SummaryLine::ListedWhole);
  if (!summary.message.empty()) lines.push_back({summary.message});
  lines.push_back({ResultLine(summary.exitCode)});
  return lines;
}

}  // namespace

Verdict::Verdict(FileSystem& fs, Console& console, runlog::Sink& sink,
                 const std::vector<std::string>& arguments)
    : fs_(fs), console_(console), sink_(sink), commandLine_(LoggedArguments(arguments)),
      started_(fs.Now()) {}

void Verdict::Say(const std::string& line) {
  console_.Line(line);
  said_.push_back(line);
}

int Verdict::Deliver(const Summary& summary, const Delivery& delivery) {
  const std::vector<SummaryLine> summaryLines = SummaryLines(summary);
  console_.Progress("");
  // The console shows a screenful of each list; the logs name every item.
  std::vector<std::string> lines = said_, shown = said_;
  size_t listed = 0;
  for (size_t i = 0; i < summaryLines.size(); ++i) {
    lines.push_back(summaryLines[i].Text());
    listed = summaryLines[i].kind == SummaryLine::Listed ? listed + 1 : 0;
    if (listed <= delivery.listedOnScreen) {
      shown.push_back(lines.back());
      console_.Line(lines.back());
    } else if (listed == delivery.listedOnScreen + 1) {
      size_t rest = 0;
      while (i + rest < summaryLines.size() && summaryLines[i + rest].kind == SummaryLine::Listed)
        ++rest;
      shown.push_back(
          SummaryLine{Filled(texts::MoreWarnings, {std::to_string(rest)}), SummaryLine::Listed}
              .Text());
      console_.Line(shown.back());
    }
  }
  return Record(lines, shown, delivery.logBesideArchive ? FolderOf(summary.archive) : "",
                summary.exitCode);
}

int Verdict::Refuse(int exitCode, const std::vector<std::string>& shown,
                    const std::vector<std::string>& kept) {
  for (const std::string& line : shown) console_.Line(line);
  std::vector<std::string> lines = kept;
  lines.push_back(ResultLine(exitCode));
  return Record(lines, lines, "", exitCode);
}

int Verdict::Conclude(int exitCode) {
  Say(ResultLine(exitCode));
  return Record(said_, said_, "", exitCode);
}

// The record goes to the log beside the archive when asked for and its folder is there, and
// always to the central log; then the event log gets what the console showed. A log that cannot
// be written makes the exit code at least 1, and the console and the event log say so.
int Verdict::Record(std::vector<std::string> lines, std::vector<std::string> shown,
                    const std::string& localFolder, int exitCode) {
  const std::string when = Filled(texts::TimeSpan, {DateTimeText(fs_.ToLocalTime(started_)),
                                                    DateTimeText(fs_.ToLocalTime(fs_.Now()))});
  std::vector<std::string> failures;
  if (!localFolder.empty() && FolderExists(fs_, localFolder)) try {
      fs_.AppendText(localFolder + "dszip.log", runlog::Record("dszip", when, lines));
    } catch (const FileError& error) {
      failures.push_back(Filled(texts::LocalLogFailed, {localFolder + "dszip.log", error.what()}));
    }
  lines.insert(lines.begin(), Filled(texts::CommandLine, {commandLine_}));
  try {
    sink_.Append(runlog::Record("dszip", when, lines));
  } catch (const std::exception& error) {
    failures.push_back(
        Filled(texts::CentralLogFailed, {sink_.Folder() + runlog::kFileName, error.what()}));
  }
  if (!failures.empty()) {
    exitCode = std::max<int>(exitCode, kExitWarning);
    failures.push_back(ResultLine(exitCode));
    for (const std::string& line : failures) console_.Line(line);
    shown.insert(shown.end(), failures.begin(), failures.end());
  }
  std::string text;
  for (const std::string& line : shown) text += line + "\r\n";
  sink_.Report(exitCode, text);
  return exitCode;
}

}  // namespace dszip
