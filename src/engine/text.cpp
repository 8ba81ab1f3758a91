#include "engine/text.h"

#include <algorithm>
#include <cmath>

namespace dszip {

std::string GroupedNumber(uint64_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), ".");
  return digits;
}

std::string Decimal1(double value) {
  const auto tenths = static_cast<uint64_t>(std::llround(value * 10));
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

namespace {

constexpr const char* kUnits[] = {"Bytes", "KB", "MB", "GB"};

int UnitOf(uint64_t bytes) {
  if (bytes < 1024) return 0;
  if (bytes < 1024ull * 1024) return 1;
  return bytes < 1024ull * 1024 * 1024 ? 2 : 3;
}

}  // namespace

std::string ByteSize(uint64_t bytes) { return SizeNumber(bytes, bytes) + " " + SizeUnit(bytes); }

std::string SizeNumber(uint64_t bytes, uint64_t scale) {
  const int unit = UnitOf(scale);
  if (unit == 0) return GroupedNumber(bytes);
  return Decimal1(static_cast<double>(bytes) / std::pow(1024.0, unit));
}

const char* SizeUnit(uint64_t scale) { return scale == 1 ? "Byte" : kUnits[UnitOf(scale)]; }

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0; start <= text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace dszip
