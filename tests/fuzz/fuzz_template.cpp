// Template expansion against a small model of the directive rules: the same text, or an
// error of the same kind naming the same directive.
//
// Input: template 0x01 argument 0x01 argument ... (at most six arguments).

#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/filled.h"
#include "core/textformat.h"
#include "core/texts.h"
#include "fuzz_support.h"

namespace {

// The engine refuses wider padding than this; the model follows.
constexpr long long kWidthLimit = 1000000;
// Inputs whose expansion would exceed this are skipped, so that each run stays fast.
constexpr std::size_t kOutputBudget = 1 << 20;

struct Outcome {
  enum Kind { Text, Invalid, NoArgument, TooBig } kind = Text;
  std::string text;  // the expansion, or the faulty directive
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal digits from `at`, the value held at kWidthLimit + 1 once it is larger.
long long ReadNumber(const std::string& s, std::size_t& at) {
  long long value = 0;
  for (; at < s.size() && IsDigit(s[at]); ++at)
    value = value > kWidthLimit ? value : value * 10 + (s[at] - '0');
  return value > kWidthLimit ? kWidthLimit + 1 : value;
}

Outcome Model(const std::string& pattern, const std::vector<std::string>& args) {
  Outcome out;
  std::size_t next = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] != '%') {
      out.text += pattern[i++];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out.text += '%';
      i += 2;
      continue;
    }
    const std::size_t start = i++;
    std::size_t colon = i;
    const long long index = ReadNumber(pattern, colon);
    const bool hasIndex = colon > i && colon < pattern.size() && pattern[colon] == ':';
    if (hasIndex) i = colon + 1;
    const bool left = i < pattern.size() && pattern[i] == '-';
    if (left) ++i;
    const bool starWidth = i < pattern.size() && pattern[i] == '*';
    long long width = starWidth ? (++i, 0) : ReadNumber(pattern, i);
    bool starPrecision = false;
    std::optional<long long> precision;
    if (i < pattern.size() && pattern[i] == '.') {
      ++i;
      starPrecision = i < pattern.size() && pattern[i] == '*';
      precision = starPrecision ? (++i, 0) : ReadNumber(pattern, i);
    }
    if (i >= pattern.size()) return out;  // the template ends inside the directive
    const char conversion = pattern[i++];
    const std::string directive = pattern.substr(start, i - start).substr(0, 31);

    if (hasIndex) next = static_cast<std::size_t>(index);
    const int needed = 1 + (starWidth ? 1 : 0) + (starPrecision ? 1 : 0);
    if (next + static_cast<std::size_t>(needed) > args.size())
      return {Outcome::NoArgument, directive};
    next += static_cast<std::size_t>(needed);
    if (starWidth) width = 0;
    if (starPrecision) precision = 0;
    if ((conversion != 's' && conversion != 'S') || width > kWidthLimit)
      return {Outcome::Invalid, directive};
    std::string text = args[next - 1];
    if (precision && static_cast<std::size_t>(*precision) < text.size())
      text.resize(static_cast<std::size_t>(*precision));
    const std::size_t fill = static_cast<std::size_t>(width) > text.size()
                                 ? static_cast<std::size_t>(width) - text.size()
                                 : 0;
    if (out.text.size() + fill + text.size() > kOutputBudget) return {Outcome::TooBig, {}};
    out.text += left ? text + std::string(fill, ' ') : std::string(fill, ' ') + text;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fields fields(data, size);
  const std::string pattern = fields.Next();
  std::vector<std::string> args;
  while (!fields.Done() && args.size() < 6) args.push_back(fields.Next());

  const Outcome expected = Model(pattern, args);
  if (expected.kind == Outcome::TooBig) return 0;
  try {
    const std::string text = ExpandTemplate(pattern, args);
    FUZZ_CHECK(expected.kind == Outcome::Text);
    FUZZ_CHECK(text == expected.text);
  } catch (const EError& error) {
    FUZZ_CHECK(expected.kind != Outcome::Text);
    const char* message =
        expected.kind == Outcome::Invalid ? texts::FormatInvalid : texts::FormatNoArgument;
    std::string wanted = Filled(message, {expected.text});
    wanted.resize(wanted.find('\0') == std::string::npos ? wanted.size() : wanted.find('\0'));
    FUZZ_CHECK(error.what() == wanted);
  }
  return 0;
}
