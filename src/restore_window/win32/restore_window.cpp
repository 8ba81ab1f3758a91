#include "restore_window/win32/restore_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "core/filled.h"
#include "engine/outcome.h"
#include "restore_window/texts.h"
#include "restore_window/window_layout.h"
#include "runlog/run_log_win32.h"
#include "win32_common/dpi.h"
#include "win32_common/utf16.h"

namespace restore_window {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, newer than the headers' target
// From the worker: the progress counts (a new ProgressCounts), a verdict line (a new
// std::string), the end, and a password to ask (sent, so that the worker waits for the answer).
constexpr UINT kCounts = WM_APP + 1;
constexpr UINT kLine = WM_APP + 2;
constexpr UINT kDone = WM_APP + 3;
constexpr UINT kAskPassword = WM_APP + 4;
constexpr UINT kTreeChecked = WM_APP + 5;  // after a check box of the tree changed
const wchar_t* const kClassName = L"DatensicherungWiederherstellen";

struct ClassAndStyle {
  const wchar_t* type;
  DWORD style, exStyle;
};

ClassAndStyle Kind(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::DefaultButton: return {L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 0};
    case ControlKind::Label: return {L"STATIC", SS_LEFT, 0};
    case ControlKind::DropDown:
      return {WC_COMBOBOXW, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::ListView:
      return {WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE};
    case ControlKind::TreeView:
      return {WC_TREEVIEWW,
              WS_TABSTOP | TVS_CHECKBOXES | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                  TVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE};
    case ControlKind::Edit: return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::ReadOnlyText:
      return {L"EDIT", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE};
    case ControlKind::FirstRadio: return {L"BUTTON", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0};
    case ControlKind::Radio: return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
    case ControlKind::CheckBox: return {L"BUTTON", WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Progress: return {PROGRESS_CLASSW, 0, 0};
    case ControlKind::Tabs: return {WC_TABCONTROLW, WS_CLIPSIBLINGS | WS_TABSTOP, 0};
  }
  return {L"STATIC", 0, 0};
}

void AddColumns(HWND list, std::span<const Column> columns) {
  for (size_t i = 0; i < columns.size(); ++i) {
    std::wstring caption = WideFromUtf8(columns[i].caption);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = caption.data();
    column.cx = columns[i].width;
    ListView_InsertColumn(list, static_cast<int>(i), &column);
  }
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
}

void AddRow(HWND list, const std::vector<std::string>& cells) {
  const int row = ListView_GetItemCount(list);
  std::wstring first = WideFromUtf8(cells[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = first.data();
  ListView_InsertItem(list, &item);
  for (size_t i = 1; i < cells.size(); ++i) {
    std::wstring text = WideFromUtf8(cells[i]);
    ListView_SetItemText(list, row, static_cast<int>(i), text.data());
  }
}

// The worker's console: everything goes to the window as messages.
class WindowConsole : public dszip::Console {
 public:
  explicit WindowConsole(HWND window) : window_(window) {}
  void Progress(const std::string&) override {}  // the counts move the bar
  void Line(const std::string& text) override { Post(kLine, text); }
  void Counted(const dszip::ProgressCounts& counts) override {
    auto copy = std::make_unique<dszip::ProgressCounts>(counts);
    if (PostMessageW(window_, kCounts, 0, reinterpret_cast<LPARAM>(copy.get()))) copy.release();
  }
  std::optional<std::string> AskPassword(const std::string& prompt) override {
    std::optional<std::string> answer;
    SendMessageW(window_, kAskPassword, reinterpret_cast<WPARAM>(&prompt),
                 reinterpret_cast<LPARAM>(&answer));
    return answer;
  }

 private:
  void Post(UINT message, const std::string& text) {
    auto copy = std::make_unique<std::string>(text);
    if (PostMessageW(window_, message, 0, reinterpret_cast<LPARAM>(copy.get()))) copy.release();
  }
  HWND window_;
};

}  // namespace

RestoreWindow::~RestoreWindow() {
  if (worker_.joinable()) worker_.join();
  if (font_) DeleteObject(font_);
}

void RestoreWindow::Create() {
  WNDCLASSEXW type{};
  type.cbSize = sizeof(type);
  type.lpfnWndProc = Proc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.hIcon = LoadIconW(type.hInstance, MAKEINTRESOURCEW(1));
  type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = kClassName;
  RegisterClassExW(&type);
  window_ = CreateWindowExW(kExStyle, kClassName, WideFromUtf8(texts::AppTitle).c_str(), kStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr,
                            type.hInstance, this);
  if (!window_) throw std::runtime_error("CreateWindowExW");
  platform_.SetOwner(window_);
  dpi_ = DpiOf(window_);
  CreateControls();
  Layout();
}

void RestoreWindow::CreateControls() {
  for (const ControlRow& row : kControls) {
    const ClassAndStyle kind = Kind(row.kind);
    const HWND control = CreateWindowExW(kind.exStyle, kind.type, WideFromUtf8(row.caption).c_str(),
                                         WS_CHILD | kind.style, 0, 0, 0, 0, window_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
                                         GetModuleHandleW(nullptr), nullptr);
    if (!control) throw std::runtime_error("CreateWindowExW");
    controls_[row.id] = control;
  }
  for (const char* caption : {texts::TabBackups, texts::TabHistory}) {
    std::wstring text = WideFromUtf8(caption);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text.data();
    TabCtrl_InsertItem(Control(ID_Tabs), TabCtrl_GetItemCount(Control(ID_Tabs)), &tab);
  }
  SetWindowPos(Control(ID_Tabs), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  AddColumns(Control(ID_Nights), kNightColumns);
  // A night whose chain is not whole says why when the pointer rests on it.
  ListView_SetExtendedListViewStyle(Control(ID_Nights), LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  AddColumns(Control(ID_History), kHistoryColumns);
  SendMessageW(Control(ID_Progress), PBM_SETRANGE32, 0, kProgressSteps);
  EnableWindow(Control(ID_Cancel), FALSE);
  EnableWindow(Control(ID_OpenFolder), FALSE);
  ShowPage(0);
}

// Every control at its place and in the font of the window's DPI; the window around them.
void RestoreWindow::Layout() {
  const auto s = [this](int pixels) { return MulDiv(pixels, dpi_, 96); };
  if (font_) DeleteObject(font_);
  LOGFONTW look{};
  look.lfHeight = -s(12);
  look.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(look.lfFaceName, L"Tahoma");
  font_ = CreateFontIndirectW(&look);
  for (const ControlRow& row : kControls) {
    const Bounds& b = row.bounds;
    SetWindowPos(Control(row.id), nullptr, s(b.left), s(b.top), s(b.left + b.width) - s(b.left),
                 s(b.top + b.height) - s(b.top), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(Control(row.id), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  for (size_t i = 0; i < std::size(kNightColumns); ++i)
    ListView_SetColumnWidth(Control(ID_Nights), static_cast<int>(i), s(kNightColumns[i].width));
  for (size_t i = 0; i < std::size(kHistoryColumns); ++i)
    ListView_SetColumnWidth(Control(ID_History), static_cast<int>(i), s(kHistoryColumns[i].width));
}

void RestoreWindow::ShowPage(int page) {
  for (const ControlRow& row : kControls) {
    if (row.page == Page::Both) continue;
    const bool shown = (row.page == Page::Backups) == (page == 0);
    ShowWindow(Control(row.id), shown ? SW_SHOWNA : SW_HIDE);
  }
  ShowWindow(Control(ID_Tabs), SW_SHOWNA);
  ShowWindow(Control(ID_Close), SW_SHOWNA);
  TabCtrl_SetCurSel(Control(ID_Tabs), page);
}

// The window is shown first: an archive named on the command line may ask for its password.
void RestoreWindow::Start() {
  const SIZE outer = OuterSize(MulDiv(kClientWidth, dpi_, 96), MulDiv(kClientHeight, dpi_, 96),
                               dpi_, kStyle, kExStyle);
  SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  form_.FormCreate();
  PushFolders();
  PushNights();
  PushTree();
  PushDestination();
  PushHistory();
  SetText(ID_Verdict, form_.Status);
  SetFocus(Control(ID_Nights));
}

void RestoreWindow::Process(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
      (GetKeyState(VK_CONTROL) & 0x8000)) {
    ShowPage(1 - TabCtrl_GetCurSel(Control(ID_Tabs)));
    return;
  }
  if (IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

LRESULT CALLBACK RestoreWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RestoreWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && self->window_ == window) return self->Handle(message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT RestoreWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case kDpiChanged:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case kLine: {
      const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
      verdict_ += *text + "\r\n";
      SetText(ID_Verdict, verdict_);
      SendMessageW(Control(ID_Verdict), EM_SETSEL, verdict_.size(), verdict_.size());
      SendMessageW(Control(ID_Verdict), EM_SCROLLCARET, 0, 0);
      return 0;
    }
    case kCounts: {
      const std::unique_ptr<dszip::ProgressCounts> counts(
          reinterpret_cast<dszip::ProgressCounts*>(lParam));
      SendMessageW(Control(ID_Progress), PBM_SETPOS, ProgressSteps(*counts), 0);
      SetText(ID_Counts, ProgressLine(*counts));
      return 0;
    }
    case kDone: Finished(static_cast<int>(wParam)); return 0;
    case kAskPassword:
      *reinterpret_cast<std::optional<std::string>*>(lParam) =
          platform_.AskPassword(*reinterpret_cast<const std::string*>(wParam));
      return 0;
    case kTreeChecked: {
      const auto item = reinterpret_cast<HTREEITEM>(lParam);
      SetSubtreeChecked(item, TreeView_GetCheckState(Control(ID_Tree), item) == 1);
      return 0;
    }
    case WM_CLOSE:
      if (!busy_) return DestroyWindow(window_), 0;
      closing_ = true;  // the worker ends cleanly first; then the window goes
      cancelled_ = true;
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window_, message, wParam, lParam);
  }
}

void RestoreWindow::OnCommand(int id, int code) {
  if (busy_ && id != ID_Cancel && id != ID_Close) return;
  switch (id) {
    case ID_Folders:
      if (code != CBN_SELCHANGE) return;
      form_.FolderIndex = static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
      form_.FolderChange();
      PushNights();
      PushTree();
      SetText(ID_Verdict, form_.Status);
      return;
    case ID_OtherFolder:
      form_.OtherFolderClick();
      PushFolders();
      PushNights();
      PushTree();
      SetText(ID_Verdict, form_.Status);
      return;
    case ID_Filter:
      if (code != EN_CHANGE) return;
      form_.Filter = TextOf(ID_Filter);
      form_.FilterChange();
      PushTree();
      return;
    case ID_Original:
    case ID_IntoFolder:
      form_.Original = id == ID_Original;
      PushDestination();
      return;
    case ID_TargetFolder:
      if (code == EN_CHANGE) form_.TargetFolder = TextOf(ID_TargetFolder);
      return;
    case ID_TargetBrowse:
      form_.TargetFolderClick();
      PushDestination();
      return;
    case ID_Replace:
      form_.Replace = SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
      return;
    case ID_Restore: RestoreClick(); return;
    case ID_Check: CheckClick(); return;
    case ID_Cancel: cancelled_ = true; return;
    case ID_OpenFolder:
      ShellExecuteW(window_, L"open", WideFromUtf8(openTarget_).c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
      return;
    case ID_Close: SendMessageW(window_, WM_CLOSE, 0, 0); return;
    default: return;
  }
}

LRESULT RestoreWindow::OnNotify(const NMHDR& header) {
  const int id = static_cast<int>(header.idFrom);
  if (id == ID_Tabs && header.code == TCN_SELCHANGE) {
    ShowPage(TabCtrl_GetCurSel(Control(ID_Tabs)));
  } else if (id == ID_Nights && header.code == LVN_ITEMCHANGED && !busy_ && !pushing_) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uNewState & LVIS_SELECTED) || (change.uOldState & LVIS_SELECTED)) return 0;
    form_.NightIndex = change.iItem;
    form_.NightChange();
    PushTree();
    SetText(ID_Verdict, form_.Status);
  } else if (id == ID_Nights && header.code == LVN_GETINFOTIPW) {
    auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
    const auto row = static_cast<size_t>(tip.iItem);
    if (row < form_.Nights.size() && !form_.Nights[row].broken.empty() && tip.cchTextMax > 0) {
      const std::wstring reason = WideFromUtf8(form_.Nights[row].broken);
      const size_t length = std::min(reason.size(), static_cast<size_t>(tip.cchTextMax - 1));
      reason.copy(tip.pszText, length);
      tip.pszText[length] = L'\0';
    }
  } else if (id == ID_Tree && header.code == TVN_ITEMEXPANDINGW) {
    const auto& expanding = reinterpret_cast<const NMTREEVIEWW&>(header);
    const HTREEITEM item = expanding.itemNew.hItem;
    if (expanding.action == TVE_EXPAND && !TreeView_GetChild(Control(ID_Tree), item)) {
      const auto* node = reinterpret_cast<const TreeNode*>(expanding.itemNew.lParam);
      AddTreeItems(item, node->children, TreeView_GetCheckState(Control(ID_Tree), item) == 1);
    }
  } else if (id == ID_Tree && header.code == NM_CLICK) {
    TVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(Control(ID_Tree), &hit.pt);
    if (TreeView_HitTest(Control(ID_Tree), &hit) && (hit.flags & TVHT_ONITEMSTATEICON))
      PostMessageW(window_, kTreeChecked, 0, reinterpret_cast<LPARAM>(hit.hItem));
  } else if (id == ID_Tree && header.code == TVN_KEYDOWN &&
             reinterpret_cast<const NMTVKEYDOWN&>(header).wVKey == VK_SPACE) {
    PostMessageW(window_, kTreeChecked, 0,
                 reinterpret_cast<LPARAM>(TreeView_GetSelection(Control(ID_Tree))));
  } else if (id == ID_History && header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (!(change.uNewState & LVIS_SELECTED)) return 0;
    std::string record;
    for (const std::string& line : form_.History.at(static_cast<size_t>(change.iItem)).lines)
      record += line + "\r\n";
    SetText(ID_HistoryRecord, record);
  } else if ((id == ID_History || id == ID_Nights) && header.code == NM_CUSTOMDRAW) {
    auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    if (const auto colour = RowColour(id, draw.nmcd.dwItemSpec)) draw.clrText = *colour;
  }
  return 0;
}

// Failed runs and nights whose chain is not whole in red, warnings in amber.
std::optional<COLORREF> RestoreWindow::RowColour(int list, size_t row) const {
  constexpr COLORREF kRed = RGB(192, 0, 0), kAmber = RGB(160, 90, 0);
  if (list == ID_Nights)
    return row < form_.Nights.size() && !form_.Nights[row].broken.empty() ? std::optional(kRed)
                                                                          : std::nullopt;
  if (row >= form_.History.size()) return std::nullopt;
  const RunResult kind = form_.History[row].kind;
  if (kind == RunResult::Failed) return kRed;
  if (kind == RunResult::Warning) return kAmber;
  return std::nullopt;
}

void RestoreWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

// ---------------------------------------------------------------- mirroring the form

void RestoreWindow::SetText(int id, const std::string& text) {
  SetWindowTextW(Control(id), WideFromUtf8(text).c_str());
}

std::string RestoreWindow::TextOf(int id) const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Control(id))) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(Control(id), text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

void RestoreWindow::PushFolders() {
  const HWND box = Control(ID_Folders);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (const std::string& folder : form_.Folders)
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(folder).c_str()));
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(form_.FolderIndex), 0);
}

void RestoreWindow::PushNights() {
  const HWND list = Control(ID_Nights);
  pushing_ = true;  // the selection set here is no choice of the user's
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  for (const NightRow& row : form_.Nights)
    AddRow(list, {row.when, row.broken.empty() ? row.kind : Filled(texts::ChainBroken, {row.kind}),
                  row.size, row.name});
  if (form_.NightIndex >= 0)
    ListView_SetItemState(list, form_.NightIndex, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  pushing_ = false;
}

void RestoreWindow::PushTree() {
  const HWND tree = Control(ID_Tree);
  SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(tree);
  AddTreeItems(TVI_ROOT, form_.Shown, false);
  SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
}

// The children of an item are added when it is first opened, so a night of many files shows
// at once; they take the item's check mark.
void RestoreWindow::AddTreeItems(HTREEITEM parent, const std::vector<TreeNode>& nodes,
                                 bool checked) {
  const HWND tree = Control(ID_Tree);
  for (const TreeNode& node : nodes) {
    std::wstring text = WideFromUtf8(NodeText(platform_.Files(), node));
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = text.data();
    insert.item.lParam = reinterpret_cast<LPARAM>(&node);
    insert.item.cChildren = node.children.empty() ? 0 : 1;
    const HTREEITEM item = TreeView_InsertItem(tree, &insert);
    if (checked) TreeView_SetCheckState(tree, item, TRUE);
  }
}

void RestoreWindow::SetSubtreeChecked(HTREEITEM item, bool checked) {
  const HWND tree = Control(ID_Tree);
  for (HTREEITEM child = TreeView_GetChild(tree, item); child;
       child = TreeView_GetNextSibling(tree, child)) {
    TreeView_SetCheckState(tree, child, checked);
    SetSubtreeChecked(child, checked);
  }
}

void RestoreWindow::PushHistory() {
  const HWND list = Control(ID_History);
  ListView_DeleteAllItems(list);
  for (const PastRun& run : form_.History)
    AddRow(list, {run.when, run.command.empty() ? run.program : run.command, run.archive,
                  run.result.empty() ? texts::ResultUnknown : run.result});
}

void RestoreWindow::PushDestination() {
  CheckRadioButton(window_, ID_Original, ID_IntoFolder,
                   form_.Original ? ID_Original : ID_IntoFolder);
  if (TextOf(ID_TargetFolder) != form_.TargetFolder) SetText(ID_TargetFolder, form_.TargetFolder);
  EnableWindow(Control(ID_TargetFolder), !form_.Original);
  EnableWindow(Control(ID_TargetBrowse), !form_.Original);
  SendMessageW(Control(ID_Replace), BM_SETCHECK, form_.Replace ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---------------------------------------------------------------- picking and restoring

namespace {

bool WhollyChecked(HWND tree, HTREEITEM item) {
  if (TreeView_GetCheckState(tree, item) != 1) return false;
  for (HTREEITEM child = TreeView_GetChild(tree, item); child;
       child = TreeView_GetNextSibling(tree, child))
    if (!WhollyChecked(tree, child)) return false;
  return true;
}

// A wholly checked item stands for all it holds, opened or not; otherwise its children speak.
void CollectChecked(HWND tree, HTREEITEM first, std::vector<std::string>& picked) {
  for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    TreeView_GetItem(tree, &data);
    if (WhollyChecked(tree, item))
      picked.push_back(reinterpret_cast<const TreeNode*>(data.lParam)->path);
    else
      CollectChecked(tree, TreeView_GetChild(tree, item), picked);
  }
}

}  // namespace

std::vector<std::string> RestoreWindow::Picked() const {
  std::vector<std::string> picked;
  CollectChecked(Control(ID_Tree), TreeView_GetRoot(Control(ID_Tree)), picked);
  return picked;
}

void RestoreWindow::RestoreClick() {
  const std::optional<RestoreOrder> order = form_.PrepareRestore(Picked());
  if (!order || order->runs.empty()) return;
  openTarget_ = order->runs.front().target;
  RunWorker(texts::Restoring, [this, order = *order, password = form_.Password()](
                                  dszip::Console& console, runlog::Sink& sink) {
    return RunOrder(order, platform_.Files(), platform_.Crypto(), console, sink, cancelled_,
                    password);
  });
}

void RestoreWindow::CheckClick() {
  const std::string folder = form_.CheckedFolder();
  if (folder.empty()) return;
  openTarget_.clear();
  RunWorker(texts::Checking, [this, folder, password = form_.Password()](dszip::Console& console,
                                                                         runlog::Sink& sink) {
    return RunFolderCheck(folder, platform_.Files(), platform_.Crypto(), console, sink, cancelled_,
                          password);
  });
}

// The work on its own thread; whatever it throws ends it as a failure, told to the window.
template <typename Work>
void RestoreWindow::RunWorker(const std::string& starting, Work work) {
  if (worker_.joinable()) worker_.join();
  busy_ = true;
  cancelled_ = false;
  verdict_ = starting + "\r\n";
  SetText(ID_Verdict, verdict_);
  SetText(ID_Result, "");
  SendMessageW(Control(ID_Progress), PBM_SETPOS, 0, 0);
  SetText(ID_Counts, "");
  for (const int id : {ID_Restore, ID_Check, ID_OtherFolder, ID_Folders, ID_OpenFolder})
    EnableWindow(Control(id), FALSE);
  EnableWindow(Control(ID_Cancel), TRUE);
  worker_ = std::thread([this, work = std::move(work)]() mutable {
    WindowConsole console(window_);
    int exitCode = 2;
    try {
      runlog::Win32Sink sink;
      exitCode = work(console, sink);
    } catch (const std::exception& error) {
      console.Line(error.what());
    }
    PostMessageW(window_, kDone, static_cast<WPARAM>(exitCode), 0);
  });
}

void RestoreWindow::Finished(int exitCode) {
  if (worker_.joinable()) worker_.join();
  busy_ = false;
  if (closing_) {
    DestroyWindow(window_);
    return;
  }
  if (exitCode == 0) SendMessageW(Control(ID_Progress), PBM_SETPOS, kProgressSteps, 0);
  SetText(ID_Result, dszip::ResultLine(exitCode));
  for (const int id : {ID_Restore, ID_Check, ID_OtherFolder, ID_Folders})
    EnableWindow(Control(id), TRUE);
  EnableWindow(Control(ID_OpenFolder), !openTarget_.empty());
  EnableWindow(Control(ID_Cancel), FALSE);
  form_.HistoryRefresh();
  PushHistory();
}

}  // namespace restore_window
