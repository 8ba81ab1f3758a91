// Kills a process that keeps rewriting the [Last] record (two keys, one write) of a 4 MB
// settings file, at random moments, and checks after every kill that the file is there and
// whole: exactly the version before the interrupted write or the one it was writing, never
// half a record, a mixture or a truncated file. A kill between creating the temporary file and
// moving it into place leaves that temporary file behind until a later write removes it; the
// check counts them, and after one more write at most one may remain.
//
//   settings_crash_test [kills] [seed]

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "fakes/temp_folder.h"
#include "settings/settings.h"

namespace {

constexpr const char* kFileName = "Datensicherung.ini";

// The [Last] records the writer alternates between, and the initial one.
struct Record {
  std::string datum, nr;
};
const std::vector<Record> kValues = {
    {"05.03.2024", "7"}, {"06.03.2024", "0"}, {"07.03.2024", "12"}};

// 4 MB, so that a write takes a while, with comments the writer must keep.
std::string Contents(const Record& last) {
  static const std::string filler = [] {
    std::string lines;
    for (int i = 0; lines.size() < (4u << 20); ++i)
      lines +=
          "; filler line " + std::to_string(i) + " ........................................\r\n";
    return lines;
  }();
  return "; written by hand\r\n[Programm]\r\nVersion=3\r\n" + filler +
         "[Last]\r\nDatum=" + last.datum + "\r\nNr=" + last.nr + "\r\n[Ziel]\r\n0=E:\\Archiv\\\r\n";
}

void WriteRecord(TSettingsFile& settings, const Record& last) {
  settings.PutTexts({{"Last", "Datum", last.datum}, {"Last", "Nr", last.nr}});
}

// Which value the child's i-th write stores, given the version the file holds at its start.
int Written(int start, long i) {
  const int first = start == 1 ? 2 : 1;
  return i % 2 == 0 ? first : 3 - first;
}

[[noreturn]] void Writer(const std::string& path, int start, int report) {
  try {
    for (long i = 0;; ++i) {
      TSettingsFile settings(path);  // a fresh object per write, as each operation opens one
      WriteRecord(settings, kValues[static_cast<std::size_t>(Written(start, i))]);
      if (write(report, "w", 1) != 1) _exit(4);
    }
  } catch (const EError& error) {
    std::fprintf(stderr, "writer: %s\n", error.what());
    if (write(report, "E", 1) != 1) _exit(4);
    _exit(3);
  }
}

// The child's pid, killed again when a check leaves early.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  // Kills it and waits for it, at most `limit`; false when it did not end in time.
  bool Kill(std::chrono::seconds limit) {
    kill(pid_, SIGKILL);
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = 0;
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

 private:
  pid_t pid_;
};

std::vector<std::string> FilesIn(const TempFolder& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.Path().c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

std::string ReadAll(int fd) {
  std::string bytes;
  char chunk[4096];
  ssize_t got;
  while ((got = read(fd, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(got));
  return bytes;
}

// Waits for `count` reports of finished writes, at most 30 s in all, and returns them;
// `firstAt` is when the first one came.
std::string AwaitReports(int fd, std::size_t count,
                         std::chrono::steady_clock::time_point& firstAt) {
  std::string reports;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (reports.size() < count && std::chrono::steady_clock::now() < until) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    char c;
    if (read(fd, &c, 1) != 1) break;
    if (reports.empty()) firstAt = std::chrono::steady_clock::now();
    reports += c;
  }
  return reports;
}

struct Tally {
  int passed = 0, failed = 0;
  long writes = 0;
  int leftTemp = 0, newVersionUnreported = 0, remaining = 0;
};

// One kill; returns the problem found, or an empty text.
std::string KillOnce(const TempFolder& folder, int& current, std::set<std::string>& leftovers,
                     std::mt19937& random, std::chrono::nanoseconds& period, Tally& tally) {
  const std::string path = folder.File(kFileName);
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid < 0) return "no fork";
  if (pid == 0) {
    close(pipeEnds[0]);
    Writer(path, current, pipeEnds[1]);
  }
  close(pipeEnds[1]);
  Child child(pid);

  // Once the writer is in its loop, a random pause of up to two writes puts the kill anywhere
  // in a write. The first writes of the first writer measure how long a write takes.
  std::chrono::steady_clock::time_point firstAt;
  std::string reports = AwaitReports(pipeEnds[0], period.count() == 0 ? 6 : 1, firstAt);
  if (period.count() == 0 && reports.size() == 6) {
    // Only the spread of the kills depends on this, never the outcome.
    period = (std::chrono::steady_clock::now() - firstAt) / 5;
  }
  const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(2 * period);
  std::this_thread::sleep_for(std::chrono::microseconds(
      std::uniform_int_distribution<long>(0, std::max<long>(longest.count(), 1000))(random)));
  if (!child.Kill(std::chrono::seconds(60))) {
    close(pipeEnds[0]);
    return "writer did not end within 60 s of SIGKILL";
  }
  reports += ReadAll(pipeEnds[0]);
  close(pipeEnds[0]);
  if (reports.find('E') != std::string::npos) return "the writer reported an error";

  const long done = static_cast<long>(reports.size());
  tally.writes += done;
  const int before = done == 0 ? current : Written(current, done - 1);
  const int during = Written(current, done);
  if (!std::filesystem::exists(folder.File(kFileName))) return "the settings file is missing";
  const std::string contents = folder.Read(kFileName);
  std::string problem;
  if (contents == Contents(kValues[static_cast<std::size_t>(before)])) {
    current = before;
  } else if (contents == Contents(kValues[static_cast<std::size_t>(during)])) {
    current = during;
    ++tally.newVersionUnreported;
  } else {
    problem = "the file is neither the old nor the new version (" +
              std::to_string(contents.size()) + " bytes)";
  }

  // What is new beside the file can only be the killed writer's one temporary file, holding
  // the start of the version it was writing, and only while that version is not in place.
  const std::string ours = std::string(kFileName) + "." + std::to_string(pid) + "-";
  int fresh = 0;
  for (const std::string& name : FilesIn(folder)) {
    if (name == kFileName || name == std::string(kFileName) + ".lock" || leftovers.count(name))
      continue;
    leftovers.insert(name);
    ++fresh;
    const std::string bytes = folder.Read(name);
    const std::string writing = Contents(kValues[static_cast<std::size_t>(during)]);
    if (name.rfind(ours, 0) != 0 || name.size() < 4 || name.substr(name.size() - 4) != ".tmp")
      problem += " stray file " + name + ";";
    else if (writing.compare(0, bytes.size(), bytes) != 0 || bytes.size() > writing.size())
      problem +=
          " temporary file " + name + " holds something else than the version being written;";
    else if (current != before)
      problem += " temporary file " + name + " left although its version is in place;";
  }
  if (fresh > 1) problem += " more than one temporary file from one kill;";
  tally.leftTemp += fresh;
  return problem;
}

}  // namespace

int main(int argc, char** argv) {
  const int kills = argc > 1 ? std::atoi(argv[1]) : 200;
  const unsigned seed =
      argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : std::random_device{}();
  std::mt19937 random(seed);
  TempFolder folder;
  folder.Write(kFileName, Contents(kValues[0]));
  int current = 0;
  std::set<std::string> leftovers;
  Tally tally;
  std::chrono::nanoseconds period{0};

  for (int kill = 1; kill <= kills; ++kill) {
    const std::string problem = KillOnce(folder, current, leftovers, random, period, tally);
    if (problem.empty()) {
      ++tally.passed;
    } else {
      ++tally.failed;
      std::printf("kill %d: %s\n", kill, problem.c_str());
    }
  }

  // Temporary files left by kills do not stand in the way of the next write, which removes
  // them: their writers are gone.
  try {
    TSettingsFile settings(folder.File(kFileName));
    const Record& value = kValues[current == 1 ? 2 : 1];
    WriteRecord(settings, value);
    tally.remaining = static_cast<int>(FilesIn(folder).size()) - 2;  // the file and its lock
    if (tally.remaining <= 1 && folder.Read(kFileName) == Contents(value)) {
      ++tally.passed;
    } else {
      ++tally.failed;
      std::printf("a write after the kills went wrong or left %d temporary files\n",
                  tally.remaining);
    }
  } catch (const EError& error) {
    ++tally.failed;
    std::printf("a write after the kills failed: %s\n", error.what());
  }

  std::printf(
      "settings writer killed %d times (seed %u), then one more write: %d passed, %d failed; "
      "%ld writes completed, "
      "%d kills found the new version already in place, %d left a temporary file, "
      "%d remained after the last write; a write took about %lld us\n",
      kills, seed, tally.passed, tally.failed, tally.writes, tally.newVersionUnreported,
      tally.leftTemp, tally.remaining,
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::microseconds>(period).count()));
  return tally.failed == 0 ? 0 : 1;
}
