#include "app/win32/modules_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/texts.h"
#include "app/win32/file_status_worker.h"
#include "app/win32/modules_columns.h"
#include "app/win32/modules_view.h"
#include "app/win32/progress_window.h"
#include "app/win32/resource_ids.h"
#include "browser/module_catalogue.h"
#include "platform/win32/dpi.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/window_skeleton.h"
#include "platform/win32/work_in_progress.h"

namespace corvalinde {
namespace {

using namespace modules;

using platform::win32::CreateControl;
using platform::win32::DpiOf;
using platform::win32::Scaled;

constexpr wchar_t kModulesClass[] = L"CorvalindeModuli";
HWND g_modules = nullptr;

View* ViewOf(HWND window) {
  return platform::win32::StateOf<View>(window);
}

constexpr platform::win32::FontSpec kBoldSansSerif{80, true};

// The window as drawn, in pixels at 96 DPI: the list above, the search panel below it.
constexpr int kDrawnWidth = 794, kDrawnHeight = 389, kPanelHeight = 107, kFilterBar = 32;
// The frame narrows, its two boxes with it, down to what still shows a name in each.
constexpr int kFrameWidth = 600, kMostNarrowing = 220;
// The filter bar: its box, the check box, and the clean-up's two buttons at the right end.
constexpr int kFilterBox = 240, kSmallestFilterBox = 90, kCheckWidth = 120, kBarButton = 150;
constexpr int kBarFixed = 56 + 16 + kCheckWidth + 16 + 2 * kBarButton + 6 + 8;
constexpr int kSmallestWidth =
    std::max(kFrameWidth - kMostNarrowing + 120, kBarFixed + kSmallestFilterBox);
constexpr int kSmallestList = 100;

// Every control's place. The filter bar stays at the top; the list takes the width and
// whatever height the panel leaves; the panel keeps its place at the bottom, "Refresh" and
// "Esci" at the right, and its frame narrows when the window is narrower than drawn.
void Layout(HWND window) {
  View* view = ViewOf(window);
  if (!view || !view->List()) return;
  RECT client{};
  GetClientRect(window, &client);
  int dpi = DpiOf(window);
  auto at = [&](int x) { return Scaled(x, dpi); };
  int panelTop = client.bottom - at(kPanelHeight);
  int right = client.right - at(104);
  const int width = MulDiv(client.right, 96, dpi);  // at 96 DPI
  int narrowing = std::clamp(kFrameWidth + 120 - width, 0, kMostNarrowing);
  int half = narrowing / 2, rest = narrowing - half;
  auto top = [&](int id, int x, int y, int width, int height) {
    MoveWindow(view->Item(id), at(x), at(y), at(width), at(height), TRUE);
  };
  auto panel = [&](int id, int x, int y, int width, int height) {
    MoveWindow(view->Item(id), x, panelTop + at(y), at(width), at(height), TRUE);
  };
  const int filterBox = std::clamp(width - kBarFixed, kSmallestFilterBox, kFilterBox);
  top(kLblFilter, 8, 8, 44, 18);
  top(kTxtFilter, 56, 5, filterBox, 22);
  top(kChkOnlyMissing, 56 + filterBox + 16, 6, kCheckWidth, 20);
  top(kCmdRemoveOrphans, width - 8 - 2 * kBarButton - 6, 4, kBarButton, 24);
  top(kCmdRestore, width - 8 - kBarButton, 4, kBarButton, 24);
  int listTop = at(kFilterBar);
  MoveWindow(view->List(), 0, listTop, client.right, std::max(panelTop - listTop, 0), TRUE);
  panel(kFrame1, at(8), 8, kFrameWidth - narrowing, 92);
  panel(kFrame1Caption, at(16), 6, 80, 16);
  panel(kOptFindEXE, at(20), 32, 100, 20);
  panel(kTxtFindEXE, at(124), 30, 170 - half, 22);
  panel(kOptFindDLL, at(312 - half), 32, 116, 20);
  panel(kTxtFindDLL, at(430 - half), 30, 170 - rest, 22);
  panel(kCmdFind, at(254 - half), 64, 100, 28);
  panel(kCmdRefresh, right, 20, 96, 30);
  panel(kCmdEsci, right, 62, 96, 30);
}

HWND MakeList(HWND window) {
  HWND list = CreateControl(window, WC_LISTVIEWW, L"",
                            WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                            0, 0, 0, 0, kLstControl);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  ListView_SetBkColor(list, platform::win32::kLightYellow);
  ListView_SetTextBkColor(list, platform::win32::kLightYellow);
  ListView_SetTextColor(list, GetSysColor(COLOR_WINDOWTEXT));
  int index = 0;
  for (const ColumnSpec& spec : CatalogueColumns()) {
    std::wstring header(spec.header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = header.data();
    column.cx = Scaled(spec.widthTwips / 15, DpiOf(window));
    column.iSubItem = index;
    ListView_InsertColumn(list, index++, &column);
  }
  return list;
}

// The controls, in tab order (the filter above the list, then the list and the search below
// it); Layout places them.
void Build(HWND window, View* view) {
  HFONT bold = platform::win32::FontAt(kBoldSansSerif, DpiOf(window));
  auto control = [&](const wchar_t* cls, std::wstring_view text, DWORD style, int id) {
    return CreateControl(window, cls, text, style, 0, 0, 0, 0, id);
  };
  auto boldControl = [&](const wchar_t* cls, std::wstring_view text, DWORD style, int id) {
    HWND made = control(cls, text, style, id);
    SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
    return made;
  };
  control(L"STATIC", texts::kFilterLabel, SS_LEFT, kLblFilter);
  control(L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, kTxtFilter);
  control(L"BUTTON", texts::kOnlyMissing, WS_TABSTOP | BS_AUTOCHECKBOX, kChkOnlyMissing);
  control(L"BUTTON", texts::kRemoveOrphans, WS_TABSTOP, kCmdRemoveOrphans);
  control(L"BUTTON", texts::kRestoreRegFile, WS_TABSTOP, kCmdRestore);
  view->Attach(window, MakeList(window));
  // The frame's caption is a label of its own: a themed group box draws its text in the theme's
  // colour, and this one is blue.
  boldControl(L"BUTTON", L"", BS_GROUPBOX, kFrame1);
  boldControl(L"STATIC", texts::kSearchFrame, SS_LEFT, kFrame1Caption);
  HWND exe = boldControl(L"BUTTON", texts::kSearchExecutable,
                         WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, kOptFindEXE);
  SendMessageW(exe, BM_SETCHECK, BST_CHECKED, 0);
  control(L"EDIT", L"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, kTxtFindEXE);
  boldControl(L"BUTTON", texts::kSearchModule, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON,
              kOptFindDLL);
  HWND dll = control(L"EDIT", L"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, kTxtFindDLL);
  EnableWindow(dll, FALSE);
  boldControl(L"BUTTON", texts::kSearchButton, WS_TABSTOP | WS_GROUP, kCmdFind);
  // Last in the tab order, as they stand at the right of the search.
  boldControl(L"BUTTON", texts::kBrowserRefresh, WS_TABSTOP, kCmdRefresh);
  boldControl(L"BUTTON", texts::kBrowserExit, WS_TABSTOP, kCmdEsci);
  Layout(window);
}

LRESULT OnNotify(View& view, const NMHDR& header) {
  ModuleCatalogue& catalogue = view.Catalogue();
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& item = reinterpret_cast<const NMLVDISPINFOW&>(header).item;
      if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && item.iSubItem >= 0 && item.cchTextMax > 0) {
        std::wstring_view cell = catalogue.Cell(static_cast<std::size_t>(item.iItem),
                                                static_cast<std::size_t>(item.iSubItem));
        std::size_t length = std::min(cell.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
        cell.copy(item.pszText, length);
        item.pszText[length] = L'\0';
      }
      return 0;
    }
    case LVN_ITEMCHANGED: {
      HWND list = view.List();
      int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
      bool onSelected = focused >= 0 && ListView_GetItemState(list, focused, LVIS_SELECTED);
      view.SelectPosition(onSelected ? focused : ListView_GetNextItem(list, -1, LVNI_SELECTED));
      return 0;
    }
    case LVN_COLUMNCLICK: {
      ChecksHeld held(view.Gate());
      view.Sort(static_cast<std::size_t>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
      return 0;
    }
    case LVN_KEYDOWN: {
      ChecksHeld held(view.Gate());
      WORD key = reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey;
      if (GetKeyState(VK_CONTROL) >= 0) return 0;
      if (key == 'C') view.CopySelected();
      if (key == 'A') view.SelectAll();
      return 0;
    }
  }
  return 0;
}

void OnCommand(View& view, WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDCANCEL:  // Esc
    case kCmdEsci:
      SendMessageW(view.Window(), WM_CLOSE, 0, 0);
      break;
    case IDOK: {  // Enter: in a search box, "Ricerca"
      int focus = GetDlgCtrlID(GetFocus());
      if (focus == kTxtFindEXE || focus == kTxtFindDLL) view.Find();
      break;
    }
    case kCmdRefresh:
      view.LoadCatalogue();
      break;
    case kOptFindDLL:
      view.ChooseColumn(true);
      break;
    case kOptFindEXE:
      view.ChooseColumn(false);
      break;
    case kCmdFind:
      view.Find();
      break;
    case kTxtFilter:
      if (HIWORD(wParam) == EN_CHANGE) view.ApplyFilter();
      break;
    case kChkOnlyMissing:
      view.ApplyFilter();
      break;
    case kCmdRemoveOrphans:  // every row shown
      view.RemoveOrphansOf(view.Catalogue().Shown());
      break;
    case kCmdRestore:
      view.Restore();
      break;
  }
}

void OnStatusBatch(View& view, LPARAM lParam) {
  std::unique_ptr<StatusBatch> batch(reinterpret_cast<StatusBatch*>(lParam));
  view.TakeFileFacts(batch->generation, batch->facts);
}

LRESULT OnColourStatic(HWND control, WPARAM deviceContext) {
  if (GetDlgCtrlID(control) != kFrame1Caption) return 0;
  SetTextColor(reinterpret_cast<HDC>(deviceContext), RGB(0, 0, 255));
  SetBkColor(reinterpret_cast<HDC>(deviceContext), GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void OnMinMaxInfo(HWND window, MINMAXINFO& limits) {
  RECT smallest = platform::win32::FrameForClient(
      kSmallestWidth, kPanelHeight + kSmallestList,
      static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
      static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), DpiOf(window));
  limits.ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
}

void OnDestroy(View& view) {
  view.StopChecks();
  DropPendingBatches(view.Window());
  RememberColumnWidths(view.List());
  g_modules = nullptr;
}

LRESULT CALLBACK ModulesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  View* view = ViewOf(window);
  switch (message) {
    case WM_CREATE:
      Build(window, platform::win32::AttachState<View>(window, lParam));
      return 0;
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(lParam)->idFrom != kLstControl) break;
      return OnNotify(*view, *reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU: {
      if (reinterpret_cast<HWND>(wParam) != view->List()) break;
      ChecksHeld held(view->Gate());  // the user first: the file checks wait
      view->ContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    }
    case WM_COMMAND: {
      ChecksHeld held(view->Gate());
      OnCommand(*view, wParam);
      return 0;
    }
    case kStartChecksMessage:
      view->StartChecks();
      return 0;
    case kStatusBatchMessage:
      OnStatusBatch(*view, lParam);
      return 0;
    case WM_CTLCOLOREDIT:
      return view->Yellow().Paint(wParam);
    case WM_CTLCOLORSTATIC:
      if (LRESULT brush = OnColourStatic(reinterpret_cast<HWND>(lParam), wParam)) return brush;
      break;
    case WM_SIZE:
      Layout(window);
      return 0;
    case WM_GETMINMAXINFO:
      OnMinMaxInfo(window, *reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_DPICHANGED:
      platform::win32::FollowDpiChange(window, wParam, lParam);
      return 0;
    case WM_CLOSE:
      if (!platform::win32::PutOffCloseWhileWorking(window)) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      OnDestroy(*view);
      return 0;
    case WM_NCDESTROY:
      // The last message: the catalogue goes with the window.
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete view;
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterModulesClass(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  return platform::win32::RegisterWindowClass(
             kModulesClass, ModulesProc, LoadIconW(instance, MAKEINTRESOURCEW(IDI_CORVALINDE))) &&
         RegisterProgressClass();
}

void ShowModulesWindow(platform::Registry& registry) {
  if (g_modules) {
    ShowWindow(g_modules, IsIconic(g_modules) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(GetLastActivePopup(g_modules));
    return;
  }
  auto* view = new View(registry);
  g_modules = platform::win32::CreateCentredWindow(
      kModulesClass, texts::kBrowserCaption,
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, 0,
      kDrawnWidth, kDrawnHeight, nullptr, view);
  if (!g_modules) {
    delete view;
    return;
  }
  // The catalogue is built, under its progress window, before the window is first shown.
  view->LoadCatalogue();
  ShowWindow(g_modules, SW_SHOW);
  SetForegroundWindow(g_modules);
  UpdateWindow(g_modules);  // see LoadCatalogue
}

bool ModulesWindowMessage(MSG* message) {
  return g_modules && IsDialogMessageW(g_modules, message);
}

}  // namespace corvalinde
