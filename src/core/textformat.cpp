#include "core/textformat.h"

#include <optional>

#include "core/error.h"
#include "core/filled.h"
#include "core/texts.h"

namespace {

// No sensible template pads an argument to more characters than this; larger widths would
// only exhaust memory.
constexpr long kMaxWidth = 1000000;

// One directive as written: where its numbers come from, before any argument is taken.
struct Directive {
  std::optional<long> index;
  bool leftAlign = false;
  bool widthFromArgument = false;
  std::optional<long> width;
  bool precisionFromArgument = false;
  std::optional<long> precision;
  char conversion = 0;
};

class Expander {
 public:
  Expander(const std::string& pattern, const std::vector<std::string>& args)
      : pattern_(pattern), args_(args) {}

  std::string Run() {
    while (pos_ < pattern_.size()) {
      const char c = pattern_[pos_];
      if (c != '%') {
        result_ += c;
        ++pos_;
        continue;
      }
      const size_t start = pos_++;
      if (pos_ < pattern_.size() && pattern_[pos_] == '%') {
        result_ += '%';
        ++pos_;
        continue;
      }
      Directive directive;
      // A template that stops inside a directive ends the text there, without an error.
      if (!ParseDirective(directive)) break;
      Apply(directive, pattern_.substr(start, pos_ - start).substr(0, 31));
    }
    return result_;
  }

 private:
  bool AtDigit() const {
    return pos_ < pattern_.size() && pattern_[pos_] >= '0' && pattern_[pos_] <= '9';
  }
  bool At(char c) const { return pos_ < pattern_.size() && pattern_[pos_] == c; }

  long Digits() {
    long value = 0;
    while (AtDigit()) {
      if (value <= kMaxWidth) value = value * 10 + (pattern_[pos_] - '0');
      ++pos_;
    }
    return value;
  }

  // A number or "*" in the place of the width or the precision.
  void NumberOrStar(bool& fromArgument, std::optional<long>& number) {
    if (At('*')) {
      fromArgument = true;
      ++pos_;
    } else if (AtDigit()) {
      number = Digits();
    }
  }

  bool ParseDirective(Directive& d) {
    if (AtDigit()) {
      const size_t digitsStart = pos_;
      const long number = Digits();
      if (At(':')) {
        d.index = number;
        ++pos_;
      } else {
        pos_ = digitsStart;
      }
    }
    if (At('-')) {
      d.leftAlign = true;
      ++pos_;
    }
    NumberOrStar(d.widthFromArgument, d.width);
    if (At('.')) {
      ++pos_;
      d.precision = 0;
      NumberOrStar(d.precisionFromArgument, d.precision);
    }
    if (pos_ >= pattern_.size()) return false;
    d.conversion = pattern_[pos_++];
    return true;
  }

  const std::string& TakeArgument(const std::string& directiveText) {
    if (next_ >= args_.size()) throw EError(Filled(texts::FormatNoArgument, {directiveText}));
    return args_[next_++];
  }

  void Apply(const Directive& d, const std::string& directiveText) {
    if (d.index) next_ = static_cast<size_t>(*d.index);
    long width = d.width.value_or(0);
    std::optional<long> precision = d.precision;
    // A text in the place of a number counts as 0; it is used up all the same.
    if (d.widthFromArgument) {
      TakeArgument(directiveText);
      width = 0;
    }
    if (d.precisionFromArgument) {
      TakeArgument(directiveText);
      precision = 0;
    }
    const std::string& argument = TakeArgument(directiveText);
    if ((d.conversion != 's' && d.conversion != 'S') || width > kMaxWidth)
      throw EError(Filled(texts::FormatInvalid, {directiveText}));
    std::string text = argument;
    if (precision && static_cast<size_t>(*precision) < text.size())
      text.resize(static_cast<size_t>(*precision));
    const size_t padding = static_cast<size_t>(width) > text.size() ? width - text.size() : 0;
    if (d.leftAlign) {
      result_ += text;
      result_.append(padding, ' ');
    } else {
      result_.append(padding, ' ');
      result_ += text;
    }
  }

  const std::string& pattern_;
  const std::vector<std::string>& args_;
  size_t pos_ = 0;
  size_t next_ = 0;
  std::string result_;
};

}  // namespace

std::string ExpandTemplate(const std::string& pattern, const std::vector<std::string>& args) {
  return Expander(pattern, args).Run();
}
