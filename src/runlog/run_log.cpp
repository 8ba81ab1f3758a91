#include "runlog/run_log.h"

namespace runlog {

std::string Record(const std::string& program, const std::string& when,
                   const std::vector<std::string>& lines) {
  std::string record = "=== " + program + " " + when + "\r\n";
  for (const std::string& line : lines) {
    // A line break inside a line would look like the start of another record's line.
    std::string flat = line;
    for (char& c : flat)
      if (c == '\r' || c == '\n') c = ' ';
    record += flat + "\r\n";
  }
  return record;
}

bool RotateBefore(uint64_t logSize, uint64_t recordSize) {
  return logSize > 0 && logSize + recordSize > kRotateAt;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The length of a password switch that starts at `at`: -hp when backing up, -p when restoring,
// in any letter case; 0 for anything else.
size_t PasswordSwitch(const std::string& text, size_t at) {
  const auto is = [&](size_t i, char lower) {
    return i < text.size() && (text[i] | 0x20) == lower;
  };
  if (at >= text.size() || text[at] != '-') return 0;
  if (is(at + 1, 'h') && is(at + 2, 'p')) return 3;
  return is(at + 1, 'p') ? 2 : 0;
}

// Where the argument that starts at `at` ends, by the C runtime's splitting rules: blanks
// outside quotes end it; a quote after an even run of backslashes opens or closes quotes.
size_t ArgumentEnd(const std::string& text, size_t at) {
  bool quoted = false;
  size_t backslashes = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (!quoted && IsBlank(c)) break;
    if (c == '"' && backslashes % 2 == 0) quoted = !quoted;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  return at;
}

}  // namespace

std::string MaskPasswords(const std::string& commandLine) {
  std::string out;
  size_t at = 0;
  while (at < commandLine.size()) {
    if (IsBlank(commandLine[at])) {
      out += commandLine[at++];
      continue;
    }
    const size_t end = ArgumentEnd(commandLine, at);
    const size_t quote = commandLine[at] == '"' ? 1 : 0;
    if (const size_t length = PasswordSwitch(commandLine, at + quote))
      out += commandLine.substr(at, quote + length) + "***" + (quote ? "\"" : "");
    else
      out += commandLine.substr(at, end - at);
    at = end;
  }
  return out;
}

std::string MaskedArgument(const std::string& argument) {
  const size_t length = PasswordSwitch(argument, 0);
  return length ? argument.substr(0, length) + "***" : argument;
}

}  // namespace runlog
