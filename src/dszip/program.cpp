#include "dszip/program.h"

#include <algorithm>

#include "dszip/backup.h"
#include "dszip/command_line.h"
#include "dszip/set_listing.h"
#include "dszip/texts.h"
#include "engine/restore.h"
#include "engine/text.h"
#include "engine/verdict.h"

namespace dszip {
namespace {

// A restore's command line, refused in the restore's own words, or its run.
int RunRestoreCommand(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
                      Console& console, const std::atomic<bool>& cancelled, Verdict& verdict) {
  RestoreOptions options;
  try {
    options = ParseRestoreCommandLine(arguments);
  } catch (const RunError& error) {
    const std::vector<std::string> lines = LinesOf(error.what());
    return verdict.Refuse(error.ExitCode(), lines, lines);
  }
  return RunRestore(options, fs, crypto, console, cancelled, verdict);
}

// Each command ends in a verdict of its own, begun with it.
int RunCommand(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
               Console& console, const std::atomic<bool>& cancelled, runlog::Sink& verdicts) {
  Verdict verdict(fs, console, verdicts, arguments);
  if (IsSetListing(arguments)) return ListBackupSets(arguments, fs, verdict);
  if (IsRestoreCommand(arguments))
    return RunRestoreCommand(arguments, fs, crypto, console, cancelled, verdict);
  return RunBackup(arguments, fs, crypto, console, cancelled, verdict);
}

}  // namespace

bool IsHelpRequest(const std::vector<std::string>& arguments) {
  return arguments.empty() ||
         (arguments.size() == 1 && (arguments[0] == "/?" || arguments[0] == "-h"));
}

int RunDszip(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
             Console& console, const std::atomic<bool>& cancelled, runlog::Sink& verdicts) {
  // Help is no run: nothing to record.
  if (IsHelpRequest(arguments)) {
    for (const std::string& line : LinesOf(texts::Help)) console.Line(line);
    return kExitOk;
  }
  // Archives dropped together are extracted one after the other, each as if dropped alone.
  if (IsDroppedArchive(arguments) && arguments.size() > 1) {
    int worst = kExitOk;
    for (size_t i = 0; i < arguments.size() && !cancelled.load(); ++i)
      worst = std::max(worst, RunCommand({arguments[i]}, fs, crypto, console, cancelled, verdicts));
    return worst;
  }
  return RunCommand(arguments, fs, crypto, console, cancelled, verdicts);
}

}  // namespace dszip
