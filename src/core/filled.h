#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

// Each "%s" of a message pattern replaced by the next value; a value's own "%s" stays as it
// is, and so do the pattern's "%s" beyond the last value. Both programs fill their texts so.
std::string Filled(std::string_view pattern, std::initializer_list<std::string> values);
