#pragma once
#include <string>
#include <vector>

// Fills a format template with text arguments: "%%", and directives
// %[index:][-][width][.precision]s with "*" for width or precision. Raises EError with the
// tool's messages for a directive the texts cannot satisfy or one that wants a missing argument.
std::string ExpandTemplate(const std::string& pattern, const std::vector<std::string>& args);
