#pragma once
// How every run of dszip ends, whatever its command: the summary on the console, the log beside
// the archive, the central log and the event log, all written here from what the command found.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/console.h"
#include "engine/file_system.h"
#include "runlog/run_log.h"

namespace dszip {

// A list the console shows whole, below the warnings, under its heading; none when empty.
struct WholeList {
  const char* heading;
  std::vector<std::string> items;
};

// What a command found, as its summary says it: the archive first, then the command's own
// lines, the notes, the warnings, the lists shown whole, the message that ended it early and
// the result.
struct Summary {
  std::string archive;
  std::vector<std::string> lines;  // what went in or came out, and how long it took
  std::vector<std::string> notes;  // said once, no warning
  std::vector<std::string> warnings;
  std::vector<WholeList> wholeLists;
  std::string message;  // why the run ended early; empty when it did not
  int exitCode = 0;
};

// Where a summary goes besides the central log and the event log.
struct Delivery {
  bool logBesideArchive = false;  // dszip.log in the archive's folder, when that folder is there
  // Items of a list the console shows; more are counted, and the logs name every one.
  size_t listedOnScreen = std::numeric_limits<size_t>::max();
};

class Verdict {
 public:
  // Started with the run: the records name its command line, each password masked whole, and
  // the time from here to their writing.
  Verdict(FileSystem& fs, Console& console, runlog::Sink& sink,
          const std::vector<std::string>& arguments);

  // The central log's folder, which no backup takes in.
  std::string CentralLogFolder() { return sink_.Folder(); }

  // A line the console shows now and the records keep above the summary: a listing, a password
  // refused at the prompt.
  void Say(const std::string& line);

  // The summary on the console, then in the logs. Returns the exit code: at least 1 when a log
  // could not be written, which the console and the event log then say.
  int Deliver(const Summary& summary, const Delivery& delivery = {});

  // A command line refused before anything was done: `shown` goes to the console as it is,
  // `kept` to the records with the result below it.
  int Refuse(int exitCode, const std::vector<std::string>& shown,
             const std::vector<std::string>& kept);

  // A command whose lines were all said: the result below them, on the console and in the
  // records.
  int Conclude(int exitCode);

 private:
  int Record(std::vector<std::string> lines, std::vector<std::string> shown,
             const std::string& localFolder, int exitCode);

  FileSystem& fs_;
  Console& console_;
  runlog::Sink& sink_;
  std::string commandLine_;
  uint64_t started_;
  std::vector<std::string> said_;
};

}  // namespace dszip
