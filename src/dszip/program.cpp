#include "dszip/program.h"

#include <algorithm>

#include "dszip/backup.h"
#include "dszip/command_line.h"
#include "dszip/restore.h"
#include "dszip/set_listing.h"
#include "dszip/text.h"
#include "dszip/texts.h"
#include "dszip/verdict.h"

namespace dszip {
namespace {

// Each command ends in a verdict of its own, begun with it.
int RunCommand(const std::vector<std::string>& arguments, FileSystem& fs, Crypto& crypto,
               Console& console, const std::atomic<bool>& cancelled, runlog::Sink& verdicts) {
  Verdict verdict(fs, console, verdicts, arguments);
  if (IsSetListing(arguments)) return ListBackupSets(arguments, fs, verdict);
  if (IsRestoreCommand(arguments))
    return RunRestore(arguments, fs, crypto, console, cancelled, verdict);
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
