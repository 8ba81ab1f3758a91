#pragma once
#include <optional>
#include <string>

// The logic's texts are Windows-1252 bytes, paths and shown texts UTF-8
// (window_logic/platform.h); the system takes UTF-16. These are the crossings for the
// Windows-1252 texts; UTF-8 crosses in win32_common/utf16.h. Nothing is ever mapped to a
// look-alike.
std::wstring Widen(const std::string& cp1252);
// Each character that Windows-1252 lacks becomes kUnconvertible (core/cp1252.h).
std::string Narrow(const std::wstring& text);
// Nothing when a character has no Windows-1252 form.
std::optional<std::string> NarrowExactly(const std::wstring& text);
