#pragma once
#include <cstddef>

// The longest archive password both programs take. Common readers refuse longer AES
// passwords as wrong, so an archive made with one could not be opened by them.
inline constexpr std::size_t kLongestPassword = 99;
