#include "win32_common/system_error.h"

#include <windows.h>

std::string SystemErrorText(unsigned long code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return "nicht gefunden";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return "existiert bereits";
    case ERROR_ACCESS_DENIED: return "Zugriff verweigert";
    case ERROR_SHARING_VIOLATION: return "von einem anderen Programm gesperrt";
    case ERROR_LOCK_VIOLATION: return "Teile der Datei sind gesperrt";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "Datentr\u00e4ger voll";
    case ERROR_WRITE_PROTECT: return "Datentr\u00e4ger schreibgesch\u00fctzt";
    default: return "Windows-Fehler " + std::to_string(code);
  }
}
