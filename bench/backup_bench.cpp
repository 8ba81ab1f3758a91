// How long one backup run and one start-up take on the fake platform, with the settings file
// in a temporary folder (TMPDIR; the run writes it, so the disk's flush is part of the figure).
// The run's search for a free archive name asks the platform once per existing name, so its
// cost must grow in step with the number of names: the summary at the end divides the extra
// time by the number of names.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/temp_folder.h"
#include "window_logic/tfmain.h"

namespace {

constexpr const char* kSettingsName = "Datensicherung.ini";

const std::string kSettings =
    "[Programm]\r\nVersion=3\r\nZip=C:\\Tools\\archiver.exe\r\n"
    "Param=%s -m%s%s\"%s\" \"%s\"\r\n"
    "[Backup]\r\n0b=Anwendungen\r\n0=C:\\Programme\\*.*\r\n"
    "[Ziel]\r\n0=E:\\Archiv\\\r\n";

std::string ArchiveName(long n) { return "E:\\Archiv\\20240305-" + std::to_string(n) + ".zip"; }

std::string SettingsWithJobs(long jobs) {
  std::string ini = "[Programm]\r\nVersion=3\r\nZip=C:\\Tools\\archiver.exe\r\n[Backup]\r\n";
  for (long n = 0; n < jobs; ++n) {
    const std::string key = std::to_string(n);
    ini += key + "b=Auftrag " + key + "\r\n" + key + "=C:\\Daten\\" + key + "\\*.*\r\n" + key +
           "p=E:\\Archiv\\" + key + "\\\r\n";
  }
  return ini + "[Ziel]\r\n0=E:\\Archiv\\\r\n";
}

void BM_BackupRun(benchmark::State& state) {
  const long existing = state.range(0);
  TempFolder folder;
  FakePlatform platform;
  platform.exePath = folder.File("Datensicherung.exe");
  for (long n = 0; n < existing; ++n) platform.existingFiles.insert(ArchiveName(n));
  folder.Write(kSettingsName, kSettings);
  TFMain form(platform);
  form.Dispatch(&TFMain::FormCreate);

  for (auto _ : state) {
    // Each run starts from the same file: no [Last], so the search begins at 0.
    state.PauseTiming();
    folder.Write(kSettingsName, kSettings);
    state.ResumeTiming();
    form.Dispatch(&TFMain::StartClick);
  }
  const std::string expected = ArchiveName(existing);
  if (!platform.errors.empty() ||
      platform.launches.back().parameters.find(expected) == std::string::npos)
    state.SkipWithError("the run did not pick the first free name");
}
BENCHMARK(BM_BackupRun)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_FormCreate(benchmark::State& state) {
  const long jobs = state.range(0);
  TempFolder folder;
  FakePlatform platform;
  platform.exePath = folder.File("Datensicherung.exe");
  folder.Write(kSettingsName, SettingsWithJobs(jobs));
  std::size_t listed = 0;
  for (auto _ : state) {
    TFMain form(platform);
    form.Dispatch(&TFMain::FormCreate);
    listed = form.Ziel.Items.size();
  }
  if (listed != static_cast<std::size_t>(jobs) || !platform.errors.empty())
    state.SkipWithError("the job list is wrong");
}
BENCHMARK(BM_FormCreate)->Arg(0)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

// The console report, then the cost per existing name or job: the difference to the run with
// none, in wall-clock time (which includes waiting for the disk) and in processor time.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        times_[run.run_name.function_name][std::stol(run.run_name.args)] = {
            run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    PerItem("BM_BackupRun", "existing name");
    PerItem("BM_FormCreate", "job");
  }

 private:
  struct Times {
    double real, cpu;  // microseconds
  };

  void PerItem(const std::string& function, const char* item) {
    const auto& byCount = times_[function];
    const auto none = byCount.find(0);
    if (none == byCount.end()) return;
    std::printf("%s per %s, beyond the run with none:\n", function.c_str(), item);
    for (const auto& [count, time] : byCount) {
      if (count == 0) continue;
      std::printf("  %6ld: %8.3f us wall-clock, %8.3f us processor\n", count,
                  (time.real - none->second.real) / static_cast<double>(count),
                  (time.cpu - none->second.cpu) / static_cast<double>(count));
    }
  }
  std::map<std::string, std::map<long, Times>> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
