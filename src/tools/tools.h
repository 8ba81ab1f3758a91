#pragma once
#include <string>

// Combines every byte with the scramble key 0x19. The key lies below 0x20, so a character
// stays within its block of 32 codes: printable text never turns into a line break or a zero.
// Applying it twice gives the text back.
std::string XorScramble(const std::string& text);
