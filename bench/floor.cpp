// The floor of the start-up benchmark: the platform work of "Datensicherung.exe /GO" and
// nothing else. It creates the window's controls from the program's control table, fills and
// shows it, hands a parameter text of the usual shape to recorder.exe beside itself, and ends
// the way the program does. No settings file, no archive name search, no logic: whatever the
// program takes beyond this is its own.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "window_logic/control_table.h"
#include "resource.h"

namespace {

constexpr int kOuterHeight = 245;  // what two jobs make of the window
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
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

std::wstring Wide(const char* cp1252) {
  std::wstring text;
  if (!cp1252) return text;
  const int length = MultiByteToWideChar(1252, 0, cp1252, -1, nullptr, 0);
  text.resize(static_cast<size_t>(length));
  MultiByteToWideChar(1252, 0, cp1252, -1, text.data(), length);
  text.resize(static_cast<size_t>(length > 0 ? length - 1 : 0));
  return text;
}

HWND Control(const wchar_t* windowClass, const std::wstring& text, HWND parent, int id, DWORD style,
             DWORD exStyle, ControlBounds b, HFONT font) {
  HWND control = CreateWindowExW(
      exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, b.left, b.top, b.width,
      b.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// The picture button's tooltip, as the program has it.
void AddTooltip(HWND window, HWND control, std::wstring text) {
  HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                             window, nullptr, Instance(), nullptr);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
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

// The controls of the program's window, from its control table with the same classes and
// styles: 25 in all with the two jobs.
void CreateControls(HWND window, HFONT font, HFONT passwordFont, HICON glyph) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  HWND made[ID_Zeitpunkt + 1] = {};
  for (const ControlRow& row : kControls) {
    HWND parent = row.parent ? made[row.parent] : window;
    const std::wstring caption = Wide(row.caption);
    const DWORD tabStop = WS_TABSTOP | WS_GROUP;
    const DWORD box = BS_GROUPBOX | WS_GROUP | WS_CLIPCHILDREN;
    HWND control = nullptr;
    switch (row.kind) {
      case ControlKind::PushButton:
        control = Control(L"BUTTON", caption, parent, row.id,
                          (row.id == ID_Start ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | tabStop, 0,
                          row.bounds, font);
        break;
      case ControlKind::GlyphButton:
        control = Control(L"BUTTON", caption, parent, row.id, BS_PUSHBUTTON | BS_ICON | BS_FLAT, 0,
                          row.bounds, font);
        SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
        AddTooltip(window, control, caption);
        break;
      case ControlKind::StatusBar: {
        control = Control(STATUSCLASSNAMEW, L"", parent, row.id, CCS_NORESIZE | CCS_NOPARENTALIGN,
                          0, row.bounds, font);
        int parts[] = {kStatusPanel0Width, -1};
        SendMessageW(control, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
        SendMessageW(control, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(caption.c_str()));
        SendMessageW(control, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"C:\\Sicherung\\"));
        break;
      }
      case ControlKind::Panel:
        control = Control(kPanelClass, L"", parent, row.id, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                          row.bounds, font);
        break;
      case ControlKind::GroupBox:
        control =
            Control(L"BUTTON", caption, parent, row.id, box, WS_EX_CONTROLPARENT, row.bounds, font);
        break;
      case ControlKind::DatePicker:
      case ControlKind::TimePicker: {
        const bool date = row.kind == ControlKind::DatePicker;
        control = Control(DATETIMEPICK_CLASSW, L"", parent, row.id,
                          (date ? DTS_SHORTDATEFORMAT : DTS_TIMEFORMAT) | tabStop, WS_EX_CLIENTEDGE,
                          row.bounds, font);
        SendMessageW(control, DTM_SETFORMATW, 0,
                     reinterpret_cast<LPARAM>(date ? L"dd.MM.yyyy" : L"HH:mm:ss"));
        SendMessageW(control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&now));
        if (row.parent == ID_Zeitbox) EnableWindow(control, FALSE);
        break;
      }
      case ControlKind::DropDownList: {
        ControlBounds withList = row.bounds;
        withList.height += 8 * 14;
        control = Control(L"COMBOBOX", L"", parent, row.id, CBS_DROPDOWNLIST | WS_VSCROLL | tabStop,
                          0, withList, font);
        for (const char* item : row.items)
          SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
        SendMessageW(control, CB_SETCURSEL, row.id == ID_Komprimierung ? 1 : 0, 0);
        break;
      }
      case ControlKind::PasswordEdit:
        control = Control(L"EDIT", L"", parent, row.id, ES_PASSWORD | ES_AUTOHSCROLL | tabStop,
                          WS_EX_CLIENTEDGE, row.bounds, passwordFont);
        SendMessageW(control, EM_SETPASSWORDCHAR, 0x2022, 0);
        break;
      case ControlKind::RadioGroup: {
        control =
            Control(L"BUTTON", caption, parent, row.id, box, WS_EX_CONTROLPARENT, row.bounds, font);
        int id = row.firstItemId;
        for (const char* item : row.items) {
          Control(L"BUTTON", Wide(item), control, id,
                  BS_AUTORADIOBUTTON | (id == row.firstItemId ? WS_GROUP : 0), 0,
                  {8, 14 * (id - row.firstItemId + 1), row.bounds.width - 10, 14}, font);
          ++id;
        }
        CheckDlgButton(control, row.firstItemId, BST_CHECKED);
        break;
      }
      case ControlKind::RadioSet:
        for (const RadioButtonRow& button : row.buttons) {
          const bool first = &button == row.buttons.data();
          HWND radio = Control(L"BUTTON", Wide(button.caption), parent, button.id,
                               BS_RADIOBUTTON | (first ? WS_GROUP : 0), 0, button.bounds, font);
          if (first) SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
        }
        break;
      case ControlKind::CheckBox:
        control = Control(L"BUTTON", caption, parent, row.id, BS_AUTOCHECKBOX | tabStop, 0,
                          row.bounds, font);
        SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
        break;
    }
    made[row.id] = control;
  }
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
  HWND window = CreateWindowExW(0, kWindowClass, L"Backup auf CD-RW starten", kStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, width, outer.bottom - outer.top, nullptr, nullptr,
                                Instance(), nullptr);
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
