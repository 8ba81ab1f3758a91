// The central log's password masking over any command line: nothing after -hp or -p survives,
// a line without either stays as it is, and masking twice changes nothing more.
//
// Input: the command line.

#include <string>

#include "fuzz_support.h"
#include "runlog/run_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::string masked = runlog::MaskPasswords(line);
  FUZZ_CHECK(runlog::MaskPasswords(masked) == masked);
  std::string lower = line;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  if (lower.find("-hp") == std::string::npos && lower.find("-p") == std::string::npos)
    FUZZ_CHECK(masked == line);
  const std::string record = runlog::Record("dszip", "x", {line});
  // The head line and the one line: a line break inside the line must not start another.
  std::size_t breaks = 0;
  for (const char c : record) breaks += c == '\n' || c == '\r' ? 1 : 0;
  FUZZ_CHECK(breaks == 4);
  return 0;
}
