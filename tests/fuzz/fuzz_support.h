#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Shared by the fuzz targets: a check that stops the run with a message (assert would vanish
// under NDEBUG), and inputs made of fields separated by 0x01, so that seed files can be
// written by hand with printf.

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

#define FUZZ_FAIL(message)                                            \
  do {                                                                \
    std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, message); \
    std::abort();                                                     \
  } while (false)

class Fields {
 public:
  Fields(const std::uint8_t* data, std::size_t size)
      : text_(reinterpret_cast<const char*>(data), size) {}

  // The next field up to the separator; empty once the input is used up.
  std::string Next() {
    if (pos_ >= text_.size()) return {};
    const std::size_t end = text_.find(kSeparator, pos_);
    std::string field =
        text_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
    pos_ = end == std::string::npos ? text_.size() : end + 1;
    return field;
  }
  // Everything not yet taken, separators included.
  std::string Rest() {
    std::string rest = pos_ < text_.size() ? text_.substr(pos_) : std::string();
    pos_ = text_.size();
    return rest;
  }
  bool Done() const { return pos_ >= text_.size(); }

 private:
  static constexpr char kSeparator = '\x01';
  std::string text_;
  std::size_t pos_ = 0;
};

// Whether an error message names `text`; the message is a C string, so a NUL ends it.
inline bool MessageNames(const char* message, const std::string& text) {
  return std::string(message).find(text.substr(0, text.find('\0'))) != std::string::npos;
}

inline std::string AsText(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Plain ASCII: what the separate models of the name rules cover.
inline bool Ascii(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}
