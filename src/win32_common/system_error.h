#pragma once
// Win32 only: why a system call failed, in the programs' own words.
#include <string>

// The reason for a Windows error code, in UTF-8 ("Zugriff verweigert", "nicht gefunden", ...),
// or "Windows-Fehler <code>" for a code without words of its own.
std::string SystemErrorText(unsigned long code);
