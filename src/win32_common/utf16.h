#pragma once
// Win32 only: UTF-8, the tool's form of paths and shown texts, against UTF-16, the system's.
#include <string>

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
