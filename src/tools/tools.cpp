#include "tools/tools.h"

std::string XorScramble(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x19u);
  return result;
}
