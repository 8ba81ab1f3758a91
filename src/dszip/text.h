#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dszip {

std::string AsciiLower(std::string text);
// 1234567 as "1.234.567", German style.
std::string GroupedNumber(uint64_t value);
// A byte count for people: "512 Bytes", "3,4 MB", "1,2 GB".
std::string ByteSize(uint64_t bytes);
// One decimal with a comma.
std::string Decimal1(double value);

// UTF-8 to code points; false for anything malformed, overlong or a surrogate.
bool DecodeUtf8(const std::string& text, std::vector<uint32_t>& points);
void AppendUtf8(std::string& out, uint32_t point);

}  // namespace dszip
