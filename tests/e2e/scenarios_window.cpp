// Scenarios of the window at every display scale and of the keyboard: every control inside
// its parent, apart from its siblings, its caption fitting, the client area scaled, a
// screenshot; Tab through the controls in the control table's order.
#include "driver.h"  // windows.h first: commctrl.h builds on it

#include <commctrl.h>

#include <cstdlib>

namespace e2e {
namespace {

// ---------------------------------------------------------------- helpers

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, 96); }

template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// Height of the caption and borders at 96 DPI.
int NonClientHeight96(HWND window) {
  static const auto adjust =
      User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT outer{0, 0, 0, 0};
  if (adjust)
    adjust(&outer, static_cast<DWORD>(StyleOf(window)), FALSE, 0, 96);
  else
    AdjustWindowRectEx(&outer, static_cast<DWORD>(StyleOf(window)), FALSE, 0);
  return outer.bottom - outer.top;
}

RECT ClientRect(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client;
}

bool Inside(const RECT& place, const RECT& client) {
  return place.left >= 0 && place.top >= 0 && place.left + place.right <= client.right &&
         place.top + place.bottom <= client.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {  // left, top, width, height
  return a.left < b.left + b.right && b.left < a.left + a.right && a.top < b.top + b.bottom &&
         b.top < a.top + a.bottom;
}

RECT AsRect(const ControlBounds& b) { return {b.left, b.top, b.width, b.height}; }

// A window the control table makes; a radio set makes one per button.
struct Placed {
  std::string name;
  ControlKind kind;
  int id;
  int parent;
  ControlBounds bounds;
};

std::vector<Placed> PlacedControls() {
  std::vector<Placed> placed;
  for (const ControlRow& row : kControls) {
    if (row.buttons.empty()) placed.push_back({row.name, row.kind, row.id, row.parent, row.bounds});
    for (const RadioButtonRow& button : row.buttons)
      placed.push_back({std::string(row.name) + " " + std::to_string(button.id), row.kind,
                        button.id, row.parent, button.bounds});
  }
  return placed;
}

// Room a caption needs beside its text, at 96 DPI: the box of a check or radio button and its
// gap, the frame of a group box or a push button.
int CaptionAllowance(ControlKind kind) {
  switch (kind) {
    case ControlKind::CheckBox:
    case ControlKind::RadioSet: return 17;
    case ControlKind::GroupBox:
    case ControlKind::RadioGroup: return 12;
    case ControlKind::PushButton: return 4;
    default: return 0;
  }
}

// The window's font at a DPI, as the program makes it.
class Measure {
 public:
  explicit Measure(int dpi) {
    LOGFONTW font{};
    font.lfHeight = -Scaled(11, dpi);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    font_ = CreateFontIndirectW(&font);
    dc_ = GetDC(nullptr);
    old_ = SelectObject(dc_, font_);
  }
  ~Measure() {
    SelectObject(dc_, old_);
    ReleaseDC(nullptr, dc_);
    DeleteObject(font_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  SIZE Of(const std::wstring& text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
  }

 private:
  HFONT font_;
  HDC dc_;
  HGDIOBJ old_;
};

void CheckCaptionFits(const Measure& measure, HWND control, ControlKind kind, int dpi,
                      const std::string& name) {
  const std::wstring caption = WindowText(control);
  if (caption.empty() || kind == ControlKind::GlyphButton) return;
  const SIZE text = measure.Of(caption);
  const RECT place = PlaceInParent(control);
  Check(text.cx + Scaled(CaptionAllowance(kind), dpi) <= place.right && text.cy <= place.bottom,
        name + ": caption \"" + Utf8(caption) + "\" (" + std::to_string(text.cx) + " x " +
            std::to_string(text.cy) + ") fits " + std::to_string(place.right) + " x " +
            std::to_string(place.bottom));
}

// ---------------------------------------------------------------- scaling

// Run with the display set to this DPI (tests/e2e/run_dpi.sh); every control of the table
// shown.
std::function<void(const std::string&)> Scaling(int dpi) {
  return [=](const std::string& name) {
    auto [c, program, window] = Open(name, AllShown);
    if (!window) return;
    CheckInt(ScreenDpi(), dpi, "the display's DPI");
    const int zielHeight = 22 * 3;
    const RECT client = ClientRect(window.Handle());
    CheckInt(client.right, Scaled(kClientWidth, dpi), "client width");
    CheckInt(client.bottom, Scaled(245 - NonClientHeight96(window.Handle()), dpi), "client height");

    const Measure measure(dpi);
    const std::vector<Placed> placed = PlacedControls();
    for (const Placed& row : placed) {
      HWND control = window[row.id];
      if (!Check(control != nullptr, std::string(row.name) + " found")) continue;
      const RECT place = PlaceInParent(control);
      Check(Inside(place, ClientRect(GetParent(control))),
            std::string(row.name) + " at " + ShowRect(place) + " lies inside its parent");
      CheckCaptionFits(measure, control, row.kind, dpi, row.name);
      for (const Placed& other : placed) {
        if (&other <= &row || other.parent != row.parent) continue;
        ControlBounds ours = row.bounds, theirs = other.bounds;
        if (row.id == ID_Ziel) ours.height = zielHeight;
        if (Overlap(AsRect(ours), AsRect(theirs))) continue;  // as designed
        if (HWND sibling = window[other.id])
          Check(!Overlap(place, PlaceInParent(sibling)),
                std::string(row.name) + " and " + other.name + " do not overlap");
      }
    }
    const std::vector<HWND> jobs = window.Jobs();
    for (size_t i = 0; i < jobs.size(); ++i) {
      const std::string job = "job " + std::to_string(i);
      Check(Inside(PlaceInParent(jobs[i]), ClientRect(window[ID_Ziel])), job + " inside Ziel");
      CheckCaptionFits(measure, jobs[i], ControlKind::RadioSet, dpi, job);
      if (i > 0)
        Check(!Overlap(PlaceInParent(jobs[i - 1]), PlaceInParent(jobs[i])), job + " apart");
    }
    if (HWND bar = window[ID_StatusBar1]) {
      std::vector<int> parts = StatusParts(bar);
      Check(!parts.empty() && parts[0] == Scaled(kStatusPanel0Width, dpi), "status panel 0 scaled");
      Check(measure.Of(StatusText(bar, 0)).cx + Scaled(6, dpi) <= Scaled(kStatusPanel0Width, dpi),
            "status panel 0's text fits");
    }
    SaveScreenshot(window.Handle(), c.Path("window.bmp"));
    EndWithEsc(*program, window);
  };
}

// ---------------------------------------------------------------- keyboard

HWND Focused(const MainWindow& window) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(window.Handle(), nullptr), &thread);
  return thread.hwndFocus;
}

// Tab visits every control that takes the focus, in the table's order, and comes back round.
void TabOrder(const std::string& name) {
  auto [c, program, window] = Open(name, AllShown);
  if (!window) return;
  std::vector<HWND> expected;
  for (const Placed& row : PlacedControls()) {
    HWND control = window[row.id];
    if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) continue;
    if (row.kind == ControlKind::RadioGroup)
      control = window.Jobs().at(static_cast<size_t>(window.SelectedJob()));
    else if (row.kind == ControlKind::RadioSet && !Checked(control))
      continue;  // a group of radio buttons is one stop: the selected one
    else if (!HasStyle(control, WS_TABSTOP) && row.kind != ControlKind::RadioSet)
      continue;
    expected.push_back(control);
  }
  Check(WaitUntil([&] { return Focused(window) == expected.front(); }), "Starten has the focus");
  for (size_t i = 1; i <= expected.size(); ++i) {
    PressKey(window.Handle(), VK_TAB);
    HWND want = expected[i % expected.size()];
    Check(WaitUntil([&] { return Focused(window) == want; }, 5000),
          "Tab " + std::to_string(i) + " reaches control id " + std::to_string(GetDlgCtrlID(want)) +
              ", focus on id " + std::to_string(GetDlgCtrlID(Focused(window))));
  }
  EndWithEsc(*program, window);
}

// The picture button's name for screen readers is its window text; the tooltip shows it.
void PwSaveNamed(const std::string& name) {
  auto [c, program, window] = Open(name, BasicSettings);
  if (!window) return;
  if (HWND pwsave = window[ID_pwsave])
    CheckText(WindowText(pwsave), L"Kennwort speichern", "pwsave's name");
  HWND tip = TopWindow(program->Id(), TOOLTIPS_CLASSW, false);
  Check(tip && Send(tip, TTM_GETTOOLCOUNT) == 1, "a tooltip for pwsave");
  EndWithEsc(*program, window);
}

}  // namespace

const std::vector<Scenario> kWindowScenarios = {
    {"dpi_96", Scaling(96)},   {"dpi_120", Scaling(120)}, {"dpi_144", Scaling(144)},
    {"dpi_192", Scaling(192)}, {"tab_order", TabOrder},   {"pwsave_named", PwSaveNamed},
};

}  // namespace e2e
