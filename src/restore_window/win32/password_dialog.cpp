// The password dialog as a small window of its own with a local message loop: the owner is
// disabled meanwhile, as a modal dialog's is, and the typed text never leaves the edit control
// except as the answer.
#include <windows.h>

#include "restore_window/texts.h"
#include "restore_window/win32/window_platform.h"
#include "win32_common/dpi.h"
#include "win32_common/utf16.h"

namespace restore_window {
namespace {

enum { kEdit = 10 };

struct DialogState {
  bool done = false;
  std::optional<std::string> answer;
};

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_COMMAND && state &&
             (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) {
      const HWND edit = GetDlgItem(window, kEdit);
      std::wstring typed(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
      typed.resize(
          static_cast<size_t>(GetWindowTextW(edit, typed.data(), static_cast<int>(typed.size()))));
      state->answer = Utf8FromWide(typed);
      SecureZeroMemory(typed.data(), typed.size() * sizeof(wchar_t));
    }
    state->done = true;
    return 0;
  } else if (message == WM_CLOSE && state) {
    state->done = true;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND Child(HWND parent, const wchar_t* type, const std::string& text, DWORD style, RECT r, int id,
           HFONT font) {
  const HWND child = CreateWindowExW(
      type == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, type, WideFromUtf8(text).c_str(),
      WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right, r.bottom, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return child;
}

}  // namespace

std::optional<std::string> AskPasswordDialog(HWND owner, const std::string& prompt) {
  static const ATOM registered = [] {
    WNDCLASSW type{};
    type.lpfnWndProc = DialogProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    type.lpszClassName = L"DatensicherungKennwort";
    return RegisterClassW(&type);
  }();
  (void)registered;
  const auto font = reinterpret_cast<HFONT>(SendMessageW(owner, WM_GETFONT, 0, 0));
  const int dpi = DpiOf(owner);
  const auto s = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
  RECT owned{};
  GetWindowRect(owner, &owned);
  DialogState state;
  const HWND dialog = CreateWindowExW(
      WS_EX_DLGMODALFRAME, L"DatensicherungKennwort", WideFromUtf8(texts::PasswordTitle).c_str(),
      WS_POPUP | WS_CAPTION | WS_SYSMENU, owned.left + s(80), owned.top + s(120), s(420), s(140),
      owner, nullptr, GetModuleHandleW(nullptr), &state);
  Child(dialog, L"STATIC", prompt, SS_LEFT, {s(12), s(10), s(390), s(34)}, -1, font);
  const HWND edit = Child(dialog, L"EDIT", "", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                          {s(12), s(46), s(390), s(22)}, kEdit, font);
  Child(dialog, L"BUTTON", texts::PasswordOk, WS_TABSTOP | BS_DEFPUSHBUTTON,
        {s(236), s(76), s(80), s(26)}, IDOK, font);
  Child(dialog, L"BUTTON", texts::Cancel, WS_TABSTOP, {s(322), s(76), s(80), s(26)}, IDCANCEL,
        font);
  EnableWindow(owner, FALSE);
  ShowWindow(dialog, SW_SHOW);
  SetFocus(edit);
  MSG message;
  while (!state.done && GetMessageW(&message, nullptr, 0, 0) > 0)
    if (!IsDialogMessageW(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  EnableWindow(owner, TRUE);
  DestroyWindow(dialog);
  SetActiveWindow(owner);
  return state.answer;
}

}  // namespace restore_window
