// dszip's command-line grammars, backing up and restoring: any argument list is either refused
// with the usage exit code or gives options that keep the promises the rest of the run relies on.
//
// Input: argument 0x01 argument ... (at most twelve).

#include <string>
#include <vector>

#include "core/password_rule.h"
#include "dszip/command_line.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fields fields(data, size);
  std::vector<std::string> arguments;
  while (!fields.Done() && arguments.size() < 12) arguments.push_back(fields.Next());
  if (dszip::IsRestoreCommand(arguments)) {
    try {
      const dszip::RestoreOptions options = dszip::ParseRestoreCommandLine(arguments);
      // t <folder>\ names a folder, every other restore an archive.
      if (options.folderTest)
        FUZZ_CHECK(options.archive.back() == '\\' &&
                   options.archive.find('"') == std::string::npos);
      else
        FUZZ_CHECK(options.archive.size() >= 5);
      FUZZ_CHECK(options.target.empty() || options.target.back() == '\\');
      FUZZ_CHECK(options.target.find('"') == std::string::npos);
    } catch (const dszip::RunError& error) {
      FUZZ_CHECK(error.ExitCode() == dszip::kExitUsage);
    }
    return 0;
  }
  try {
    const dszip::Options options = dszip::ParseCommandLine(arguments);
    FUZZ_CHECK(options.archive.size() >= 5);
    FUZZ_CHECK(!options.sources.empty());
    const int level = options.level;
    FUZZ_CHECK(level == 0 || level == 1 || level == 3 || level == 6 || level == 8 || level == 9);
    for (const std::string& source : options.sources)
      FUZZ_CHECK(source.find('"') == std::string::npos);
    if (options.password) {
      FUZZ_CHECK(!options.password->empty() && options.password->size() <= kLongestPassword);
      FUZZ_CHECK(options.password->find('\0') == std::string::npos);
    }
  } catch (const dszip::RunError& error) {
    FUZZ_CHECK(error.ExitCode() == dszip::kExitUsage);
  }
  return 0;
}
