// Windows sends WM_DPICHANGED when a window moves to a monitor with another DPI; Wine never
// does, so these tests send it as Windows would.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"

namespace corvalinde::platform::win32 {
namespace {

RECT PlaceInParent(HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

void ExpectPlace(HWND control, int x, int y, int width, int height, int dpi) {
  RECT place = PlaceInParent(control);
  EXPECT_EQ(place.left, Scaled(x, dpi));
  EXPECT_EQ(place.top, Scaled(y, dpi));
  EXPECT_EQ(place.right - place.left, Scaled(width, dpi));
  EXPECT_EQ(place.bottom - place.top, Scaled(height, dpi));
}

TEST(DpiChange, ControlsFontsColumnsAndFrameFollowTheNewDpiAndBack) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  static const bool registered = RegisterWindowClass(L"CorvalindeDpiTest", ScalingWindowProc);
  ASSERT_TRUE(registered);
  HWND window = CreateCentredWindow(L"CorvalindeDpiTest", L"", WS_POPUP | WS_CAPTION, 0, 300, 200,
                                    nullptr, nullptr);
  ASSERT_TRUE(window);
  const int dpi = DpiOf(window), doubled = 2 * dpi;
  HWND button = CreateControl(window, L"BUTTON", L"OK", 0, 10, 20, 100, 30, 1);
  HWND list = CreateControl(window, WC_LISTVIEWW, L"", LVS_REPORT, 0, 60, 200, 100, 2);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = Scaled(90, dpi);
  ListView_InsertColumn(list, 0, &column);

  RECT suggested{10, 20, 710, 520};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(doubled, doubled),
               reinterpret_cast<LPARAM>(&suggested));
  ExpectPlace(button, 10, 20, 100, 30, doubled);
  ExpectPlace(list, 0, 60, 200, 100, doubled);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), DialogFont(doubled));
  EXPECT_EQ(ListView_GetColumnWidth(list, 0), Scaled(90, doubled));
  RECT frame{};
  GetWindowRect(window, &frame);
  EXPECT_TRUE(EqualRect(&frame, &suggested));

  // Back on the first monitor: the same places, not ones that drifted.
  RECT back{10, 20, 360, 270};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&back));
  ExpectPlace(button, 10, 20, 100, 30, dpi);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), DialogFont(dpi));
  EXPECT_EQ(ListView_GetColumnWidth(list, 0), Scaled(90, dpi));
  DestroyWindow(window);
}

}  // namespace
}  // namespace corvalinde::platform::win32
