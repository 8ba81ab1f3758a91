// Stand-in for a real archiver, used by the example settings: it only shows the command line
// it was started with, so that a user can see what Datensicherung would hand over.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::wstring text =
      std::wstring(L"Der Archivierer w\u00FCrde so aufgerufen:\n\n") + GetCommandLineW() +
      L"\n\nIn Datensicherung.ini unter [Programm] Zip den Pfad des echten Archivierers eintragen.";
  MessageBoxW(nullptr, text.c_str(), L"Archivierer-Platzhalter", MB_OK | MB_ICONINFORMATION);
  return 0;
}
