// The floor of the start-up benchmark: the platform work of "Datensicherung.exe /GO" and
// nothing else. It creates a window with the same kinds and number of controls, fills and
// shows it, hands a parameter text of the usual shape to recorder.exe beside itself, and ends
// the way the program does. No settings file, no archive name search, no logic: whatever the
// program takes beyond this is its own.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "resource.h"

namespace {

constexpr int kClientWidth = 412;
constexpr int kClientHeight = 220;
constexpr int kOuterHeight = 245;  // what two jobs make of the window
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kStatusHeight = 19;
constexpr const wchar_t* kWindowClass = L"FloorMain";
constexpr const wchar_t* kPanelClass = L"FloorPanel";

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

HFONT MakeFont(const wchar_t* face) {
  LOGFONTW font{};
  font.lfHeight = -11;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

HICON LoadIconSized(int id, int size) {
  return static_cast<HICON>(
      LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

HWND Control(const wchar_t* windowClass, const wchar_t* text, HWND parent, int id, DWORD style,
             DWORD exStyle, int left, int top, int width, int height, HFONT font) {
  HWND control = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, left,
                                 top, width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
                                 nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

HWND GroupBox(const wchar_t* text, HWND parent, int id, int left, int top, int width, int height,
              HFONT font) {
  return Control(L"BUTTON", text, parent, id, BS_GROUPBOX | WS_GROUP | WS_CLIPCHILDREN,
                 WS_EX_CONTROLPARENT, left, top, width, height, font);
}

HWND Picker(HWND parent, int id, bool date, int left, int top, int width, HFONT font,
            const SYSTEMTIME& now) {
  HWND picker = Control(DATETIMEPICK_CLASSW, L"", parent, id,
                        (date ? DTS_SHORTDATEFORMAT : DTS_TIMEFORMAT) | WS_TABSTOP | WS_GROUP,
                        WS_EX_CLIENTEDGE, left, top, width, 21, font);
  SendMessageW(picker, DTM_SETFORMATW, 0,
               reinterpret_cast<LPARAM>(date ? L"dd.MM.yyyy" : L"HH:mm:ss"));
  SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&now));
  return picker;
}

HWND DropDown(HWND parent, int id, const wchar_t* const* items, int count, int selected,
              HFONT font) {
  HWND list = Control(L"COMBOBOX", L"", parent, id,
                      CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0, 5, 15, 96,
                      21 + 8 * 14, font);
  for (int i = 0; i < count; ++i)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i]));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  return list;
}

HWND Edit(HWND parent, int id, int top, HFONT font) {
  HWND edit = Control(L"EDIT", L"", parent, id, ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP,
                      WS_EX_CLIENTEDGE, 5, top, 256, 22, font);
  SendMessageW(edit, EM_SETPASSWORDCHAR, 0x2022, 0);
  return edit;
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY)
    return SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses(HICON icon, HICON smallIcon) {
  WNDCLASSEXW main{};
  main.cbSize = sizeof(main);
  main.lpfnWndProc = MainProc;
  main.hInstance = Instance();
  main.hIcon = icon;
  main.hIconSm = smallIcon;
  main.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  main.lpszClassName = kWindowClass;
  RegisterClassExW(&main);

  WNDCLASSW panel{};
  panel.lpfnWndProc = PanelProc;
  panel.hInstance = Instance();
  panel.hCursor = main.hCursor;
  panel.hbrBackground = main.hbrBackground;
  panel.lpszClassName = kPanelClass;
  RegisterClassW(&panel);
}

// The controls of the program's window, parent by parent: 25 in all with the two jobs.
void CreateControls(HWND window, HFONT font, HFONT passwordFont, HICON glyph) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  Control(L"BUTTON", L"Starten", window, 1, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 330, 10,
          75, 25, font);
  Control(L"BUTTON", L"Abbruch", window, 2, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 330, 40, 75,
          25, font);
  HWND status = Control(STATUSCLASSNAMEW, L"", window, 100, CCS_NORESIZE | CCS_NOPARENTALIGN, 0, 0,
                        kClientHeight - kStatusHeight, kClientWidth, kStatusHeight, font);
  int parts[] = {115, -1};
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Zielverzeichnis:"));
  SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"C:\\Sicherung\\"));
  Control(L"BUTTON", L"Verzeichnis", window, 101, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0, 330, 75,
          75, 25, font);

  HWND panel1 = Control(kPanelClass, L"", window, 102, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 0, 0,
                        316, kClientHeight - kStatusHeight, font);
  HWND panel2 = Control(kPanelClass, L"", panel1, 103, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, 0, 0,
                        316, 46, font);
  HWND datum = GroupBox(L"Datum", panel2, 104, 0, 0, 105, 41, font);
  Picker(datum, 105, true, 5, 15, 96, font, now);
  HWND kompbox = GroupBox(L"Komprimierung", panel2, 106, 106, 0, 105, 41, font);
  const wchar_t* const levels[] = {L"Speichern", L"Schnellste", L"Schnell",
                                   L"Normal",    L"Gut",        L"Beste"};
  DropDown(kompbox, 107, levels, 6, 1, font);
  HWND archivbox = GroupBox(L"Archiv-Bit", panel2, 108, 211, 0, 105, 41, font);
  const wchar_t* const archiv[] = {L"ignorieren", L"Archiv gesetzt"};
  DropDown(archivbox, 109, archiv, 2, 0, font);

  HWND passwordBox = GroupBox(L"Passwort", panel1, 110, 0, 46, 316, 65, font);
  HWND pwsave = Control(L"BUTTON", L"", passwordBox, 111, BS_PUSHBUTTON | BS_ICON | BS_FLAT, 0, 270,
                        40, 23, 22, font);
  SendMessageW(pwsave, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
  Edit(passwordBox, 112, 15, passwordFont);
  Edit(passwordBox, 113, 40, passwordFont);

  HWND ziel = GroupBox(L"Sichern von", panel1, 114, 0, 115, 116, 44, font);
  Control(L"BUTTON", L"Anwendungen", ziel, 200, BS_AUTORADIOBUTTON | WS_GROUP, 0, 8, 14, 106, 14,
          font);
  Control(L"BUTTON", L"Dokumente", ziel, 201, BS_AUTORADIOBUTTON, 0, 8, 28, 106, 14, font);
  CheckDlgButton(ziel, 200, BST_CHECKED);

  HWND zeitbox = GroupBox(L"Start-Zeit", panel1, 115, 120, 115, 176, 61, font);
  Control(L"BUTTON", L"Sofort", zeitbox, 116, BS_RADIOBUTTON | WS_GROUP, 0, 10, 15, 60, 17, font);
  Control(L"BUTTON", L"Sp\u00e4ter", zeitbox, 117, BS_RADIOBUTTON, 0, 85, 15, 60, 17, font);
  CheckDlgButton(zeitbox, 116, BST_CHECKED);
  EnableWindow(Picker(zeitbox, 118, false, 90, 35, 81, font, now), FALSE);
  EnableWindow(Picker(zeitbox, 119, true, 10, 35, 81, font, now), FALSE);
  HWND stop = Control(L"BUTTON", L"Programm schlie\u00dfen", panel1, 120,
                      BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, 125, 177, 161, 24, font);
  SendMessageW(stop, BM_SETCHECK, BST_CHECKED, 0);
}

// recorder.exe beside this program.
std::wstring Archiver() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"recorder.exe";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX commonControls{sizeof(commonControls),
                                      ICC_STANDARD_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&commonControls);

  HFONT font = MakeFont(L"MS Sans Serif");
  HFONT passwordFont = MakeFont(L"Arial");
  HICON icon = LoadIconSized(IDI_APP, GetSystemMetrics(SM_CXICON));
  HICON smallIcon = LoadIconSized(IDI_APP, GetSystemMetrics(SM_CXSMICON));
  HICON glyph = LoadIconSized(IDI_PWSAVE, 16);
  RegisterClasses(icon, smallIcon);

  RECT outer{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  const int width = outer.right - outer.left;
  HWND window = CreateWindowExW(0, kWindowClass, L"Backup auf CD-RW starten", kStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, width, outer.bottom - outer.top,
                                nullptr, nullptr, Instance(), nullptr);
  CreateControls(window, font, passwordFont, glyph);
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - kOuterHeight) / 2, width, kOuterHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetFocus(GetNextDlgTabItem(window, nullptr, FALSE));

  ShellExecuteW(window, L"open", Archiver().c_str(),
                L"a -ms -ai \"C:\\Sicherung\\20240305-0.zip\" \"C:\\Programme\\*.*\"", nullptr,
                SW_SHOW);
  PostQuitMessage(0);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // As the program does: the system takes the window down with the process.
  ExitProcess(0);
}
