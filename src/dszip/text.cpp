#include "dszip/text.h"

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

std::string ByteSize(uint64_t bytes) {
  if (bytes < 1024) return GroupedNumber(bytes) + " Bytes";
  if (bytes < 1024ull * 1024) return Decimal1(static_cast<double>(bytes) / 1024) + " KB";
  if (bytes < 1024ull * 1024 * 1024)
    return Decimal1(static_cast<double>(bytes) / (1024 * 1024)) + " MB";
  return Decimal1(static_cast<double>(bytes) / (1024.0 * 1024 * 1024)) + " GB";
}

}  // namespace dszip
