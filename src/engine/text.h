#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dszip {

// 1234567 as "1.234.567", German style.
std::string GroupedNumber(uint64_t value);
// A byte count for people: "512 Bytes", "3,4 MB", "1,2 GB".
std::string ByteSize(uint64_t bytes);
// A byte count in the unit ByteSize picks for `scale`, without the unit: both counts of "3,4 von
// 10,2 MB" in the unit of the second.
std::string SizeNumber(uint64_t bytes, uint64_t scale);
const char* SizeUnit(uint64_t scale);
// One decimal with a comma.
std::string Decimal1(double value);
// "a, b, c".
std::string Joined(const std::vector<std::string>& parts);
// A text's lines, split at "\n": a refusal's message and the usage below it.
std::vector<std::string> LinesOf(const std::string& text);

}  // namespace dszip
