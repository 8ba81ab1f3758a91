#pragma once
#include <string>

// The logic's texts are ANSI bytes (the active code page, Windows-1252 on the systems the
// tool is made for); the window functions take UTF-16. These two are the only crossing.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
