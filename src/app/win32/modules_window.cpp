#include "app/win32/modules_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/texts.h"
#include "app/win32/modules_view.h"
#include "app/win32/progress_window.h"
#include "app/win32/resource_ids.h"
#include "browser/module_catalogue.h"
#include "platform/win32/dpi.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/modal_window.h"
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
  return reinterpret_cast<View*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

constexpr platform::win32::FontSpec kBoldSansSerif{80, true};

// The window as drawn, in pixels at 96 DPI: the list above, the search panel below it.
constexpr int kDrawnWidth = 794, kDrawnHeight = 389, kPanelHeight = 107, kFilterBar = 32;
// The frame narrows, its two boxes with it, down to what still shows a name in each.
constexpr int kFrameWidth = 600, kMostNarrowing = 220;
constexpr int kSmallestWidth = kFrameWidth - kMostNarrowing + 120, kSmallestList = 100;

// The list takes the width and whatever height the panel leaves; the panel keeps its place at
// the bottom, "Refresh" and "Esci" at the right, and its frame narrows when the window is
// narrower than drawn.
void Layout(HWND window) {
  View* view = ViewOf(window);
  if (!view || !view->list) return;
  RECT client{};
  GetClientRect(window, &client);
  int dpi = DpiOf(window);
  int panelTop = client.bottom - Scaled(kPanelHeight, dpi);
  int right = client.right - Scaled(104, dpi);
  int narrowing = std::clamp(kFrameWidth + 120 - MulDiv(client.right, 96, dpi), 0, kMostNarrowing);
  int half = narrowing / 2, rest = narrowing - half;
  auto place = [&](int id, int x, int y, int width, int height) {
    MoveWindow(view->Item(id), x, panelTop + Scaled(y, dpi), Scaled(width, dpi),
               Scaled(height, dpi), TRUE);
  };
  auto at = [&](int x) { return Scaled(x, dpi); };
  int listTop = Scaled(kFilterBar, dpi);
  MoveWindow(view->Item(kLblFilter), at(8), at(8), at(44), at(18), TRUE);
  MoveWindow(view->Item(kTxtFilter), at(56), at(5), at(240), at(22), TRUE);
  MoveWindow(view->Item(kChkOnlyMissing), at(312), at(6), at(160), at(20), TRUE);
  MoveWindow(view->list, 0, listTop, client.right, std::max(panelTop - listTop, 0), TRUE);
  place(kFrame1, at(8), 8, kFrameWidth - narrowing, 92);
  place(kFrame1Caption, at(16), 6, 80, 16);
  place(kOptFindEXE, at(20), 32, 100, 20);
  place(kTxtFindEXE, at(124), 30, 170 - half, 22);
  place(kOptFindDLL, at(312 - half), 32, 116, 20);
  place(kTxtFindDLL, at(430 - half), 30, 170 - rest, 22);
  place(kCmdFind, at(254 - half), 64, 100, 28);
  place(kCmdRefresh, right, 20, 96, 30);
  place(kCmdEsci, right, 62, 96, 30);
}

void Build(HWND window, View* view) {
  view->window = window;
  // Its boxes keep the browser still: no "Esci" or "Refresh" under a search's result.
  view->boxes.SetOwner(window);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  HFONT bold = platform::win32::FontAt(kBoldSansSerif, DpiOf(window));
  auto boldControl = [&](const wchar_t* cls, std::wstring_view text, DWORD style, int x, int y,
                         int w, int h, int id) {
    HWND control = CreateControl(window, cls, text, style, x, y, w, h, id);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(bold), FALSE);
    return control;
  };

  // Created in tab order: the filter above the list, then the list and the search below it.
  CreateControl(window, L"STATIC", texts::kFilterLabel, SS_LEFT, 8, 8, 44, 18, kLblFilter);
  CreateControl(window, L"EDIT", L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 56, 5, 240, 22,
                kTxtFilter);
  CreateControl(window, L"BUTTON", texts::kOnlyMissing, WS_TABSTOP | BS_AUTOCHECKBOX, 312, 6, 160,
                20, kChkOnlyMissing);
  // 11910 x 5355 twips of list and search: 794 x 357 pixels, below the filter.
  view->list = CreateControl(
      window, WC_LISTVIEWW, L"",
      WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0,
      794, 250, kLstControl);
  ListView_SetExtendedListViewStyle(view->list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  ListView_SetBkColor(view->list, kLightYellow);
  ListView_SetTextBkColor(view->list, kLightYellow);
  ListView_SetTextColor(view->list, GetSysColor(COLOR_WINDOWTEXT));
  int index = 0;
  for (const ColumnSpec& spec : CatalogueColumns()) {
    std::wstring header(spec.header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = header.data();
    column.cx = Scaled(spec.widthTwips / 15, DpiOf(window));
    column.iSubItem = index;
    ListView_InsertColumn(view->list, index++, &column);
  }
  // The frame's caption is a label of its own: a themed group box draws its text in the theme's
  // colour, and this one is blue.
  boldControl(L"BUTTON", L"", BS_GROUPBOX, 8, 258, 600, 92, kFrame1);
  boldControl(L"STATIC", texts::kSearchFrame, SS_LEFT, 16, 256, 80, 16, kFrame1Caption);
  HWND exe = boldControl(L"BUTTON", texts::kSearchExecutable,
                         WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 20, 282, 100, 20, kOptFindEXE);
  SendMessageW(exe, BM_SETCHECK, BST_CHECKED, 0);
  CreateControl(window, L"EDIT", L"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, 124, 280,
                170, 22, kTxtFindEXE);
  boldControl(L"BUTTON", texts::kSearchModule, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 312, 282,
              116, 20, kOptFindDLL);
  HWND dll = CreateControl(window, L"EDIT", L"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL,
                           430, 280, 170, 22, kTxtFindDLL);
  EnableWindow(dll, FALSE);
  boldControl(L"BUTTON", texts::kSearchButton, WS_TABSTOP | WS_GROUP, 254, 314, 100, 28, kCmdFind);
  // Last in the tab order, as they stand at the right of the search.
  boldControl(L"BUTTON", texts::kBrowserRefresh, WS_TABSTOP, 690, 270, 96, 30, kCmdRefresh);
  boldControl(L"BUTTON", texts::kBrowserExit, WS_TABSTOP, 690, 312, 96, 30, kCmdEsci);
  Layout(window);  // it may have opened smaller than drawn
}

LRESULT CALLBACK ModulesProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  View* view = ViewOf(window);
  switch (message) {
    case WM_CREATE:
      Build(window, static_cast<View*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom != kLstControl) break;
      const auto& shown = view->catalogue.Shown();
      if (header->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if ((info->item.mask & LVIF_TEXT) && info->item.iItem >= 0 &&
            static_cast<std::size_t>(info->item.iItem) < shown.size() && info->item.iSubItem >= 0 &&
            info->item.iSubItem < static_cast<int>(kColumnCount)) {
          const std::wstring& cell =
              view->catalogue.Rows()[shown[static_cast<std::size_t>(info->item.iItem)]]
                                    [static_cast<std::size_t>(info->item.iSubItem)];
          lstrcpynW(info->item.pszText, cell.c_str(), info->item.cchTextMax);
        }
        return 0;
      }
      if (header->code == LVN_ITEMCHANGED) {
        int selected = ListView_GetNextItem(view->list, -1, LVNI_SELECTED);
        view->catalogue.Select(selected >= 0 && static_cast<std::size_t>(selected) < shown.size()
                                   ? std::optional<std::size_t>(shown[selected])
                                   : std::nullopt);
        return 0;
      }
      if (header->code == LVN_COLUMNCLICK) {
        view->Sort(static_cast<std::size_t>(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem));
        return 0;
      }
      if (header->code == LVN_KEYDOWN && reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey == 'C' &&
          GetKeyState(VK_CONTROL) < 0) {
        if (auto row = view->catalogue.Selected()) CopyRows(window, view->catalogue, {*row});
        return 0;
      }
      break;
    }
    case WM_CONTEXTMENU: {
      if (reinterpret_cast<HWND>(wParam) != view->list) break;
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (at.x == -1 && at.y == -1) {  // from the keyboard: at the selected row
        RECT place{};
        auto row = view->catalogue.Selected();
        auto position = row ? view->PositionOf(*row) : std::nullopt;
        if (position) ListView_GetItemRect(view->list, *position, &place, LVIR_LABEL);
        at = {place.left, place.bottom};
        ClientToScreen(view->list, &at);
      }
      view->ContextMenu(at);
      return 0;
    }
    case kStartChecksMessage:
      view->StartChecks();
      return 0;
    case kStatusBatchMessage: {
      std::unique_ptr<StatusBatch> batch(reinterpret_cast<StatusBatch*>(lParam));
      if (batch->generation != view->generation) return 0;
      view->catalogue.SetStatuses(batch->statuses);
      view->Refill(false);
      return 0;
    }
    case WM_CTLCOLOREDIT:
      SetBkColor(reinterpret_cast<HDC>(wParam), kLightYellow);
      return reinterpret_cast<LRESULT>(view->yellow);
    case WM_CTLCOLORSTATIC:
      if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kFrame1Caption) {
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:  // Esc
        case kCmdEsci:
          SendMessageW(window, WM_CLOSE, 0, 0);
          return 0;
        case IDOK: {  // Enter: in a search box, "Ricerca"
          int focus = GetDlgCtrlID(GetFocus());
          if (focus == kTxtFindEXE || focus == kTxtFindDLL) view->Find();
          return 0;
        }
        case kCmdRefresh:
          view->LoadCatalogue();
          return 0;
        case kOptFindDLL:
          view->ChooseColumn(true);
          return 0;
        case kOptFindEXE:
          view->ChooseColumn(false);
          return 0;
        case kCmdFind:
          view->Find();
          return 0;
        case kTxtFilter:
          if (HIWORD(wParam) == EN_CHANGE) view->ApplyFilter();
          return 0;
        case kChkOnlyMissing:
          view->ApplyFilter();
          return 0;
      }
      break;
    case WM_SIZE:
      Layout(window);
      return 0;
    case WM_GETMINMAXINFO: {
      RECT smallest = platform::win32::FrameForClient(
          kSmallestWidth, kPanelHeight + kSmallestList,
          static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
          static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), DpiOf(window));
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {smallest.right - smallest.left, smallest.bottom - smallest.top};
      return 0;
    }
    case WM_DPICHANGED:
      platform::win32::FollowDpiChange(window, wParam, lParam);
      return 0;
    case WM_CLOSE:
      if (!platform::win32::PutOffCloseWhileWorking(window)) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      view->StopChecks();
      DropPendingBatches(window);
      RememberColumnWidths(view->list);
      g_modules = nullptr;
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
}

bool ModulesWindowMessage(MSG* message) {
  return g_modules && IsDialogMessageW(g_modules, message);
}

}  // namespace corvalinde
