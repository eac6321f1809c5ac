#include "platform/win32/dpi.h"

#include <commctrl.h>

#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace corvalinde::platform::win32 {
namespace {

// Looked up at run time: Windows 10 added them, and the program also runs where they are not.
template <typename Function>
Function User32Function(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using Key = std::tuple<int, bool, bool, std::wstring>;  // size, bold, underline, face

struct FontCache {
  std::mutex lock;
  std::map<std::pair<Key, int>, HFONT> byKeyAndDpi;
  std::map<HFONT, Key> keyOf;
};

FontCache& Fonts() {
  static FontCache cache;
  return cache;
}

LOGFONTW MessageFontAt(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
  static const auto forDpi = User32Function<ForDpi>("SystemParametersInfoForDpi");
  if (forDpi &&
      forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
    return metrics.lfMessageFont;
  }
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
  return metrics.lfMessageFont;
}

HFONT Make(const Key& key, int dpi) {
  auto& [tenths, bold, underline, face] = key;
  if (tenths == 0) {
    LOGFONTW font = MessageFontAt(dpi);
    return CreateFontIndirectW(&font);
  }
  return CreateFontW(-MulDiv(tenths, dpi, 720), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                     underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
}

HFONT Cached(const Key& key, int dpi) {
  FontCache& cache = Fonts();
  std::lock_guard<std::mutex> hold(cache.lock);
  HFONT& font = cache.byKeyAndDpi[{key, dpi}];
  if (!font) {
    font = Make(key, dpi);
    cache.keyOf[font] = key;
  }
  return font;
}

// The same font at another DPI, or null when the font is not one of the program's.
HFONT SameFontAt(HFONT font, int dpi) {
  Key key;
  {
    FontCache& cache = Fonts();
    std::lock_guard<std::mutex> hold(cache.lock);
    auto found = cache.keyOf.find(font);
    if (found == cache.keyOf.end()) return nullptr;
    key = found->second;
  }
  return Cached(key, dpi);
}

ATOM LayoutDpiAtom() {
  static const ATOM atom = GlobalAddAtomW(L"Corvalinde.LayoutDpi");
  return atom;
}

int LayoutDpi(HWND window) {
  auto noted = reinterpret_cast<INT_PTR>(GetPropW(window, MAKEINTATOM(LayoutDpiAtom())));
  return noted > 0 ? static_cast<int>(noted) : SystemDpi();
}

bool IsListView(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return std::wstring_view(name) == WC_LISTVIEWW;
}

}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    int value = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int DpiOf(HWND window) {
  using ForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = User32Function<ForWindow>("GetDpiForWindow");
  UINT dpi = forWindow && window ? forWindow(window) : 0;
  return dpi ? static_cast<int>(dpi) : SystemDpi();
}

int Scaled(int pixels, int dpi) {
  return MulDiv(pixels, dpi, 96);
}

int ScaledFor(HWND window, int pixels) {
  return Scaled(pixels, DpiOf(window));
}

HFONT FontAt(const FontSpec& spec, int dpi) {
  return Cached(Key{spec.tenthsOfPoint, spec.bold, spec.underline, spec.face}, dpi);
}

HFONT DialogFont(int dpi) {
  return Cached(Key{0, false, false, L""}, dpi);
}

RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
  RECT frame{0, 0, Scaled(clientWidth, dpi), Scaled(clientHeight, dpi)};
  using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto forDpi = User32Function<ForDpi>("AdjustWindowRectExForDpi");
  if (!forDpi || !forDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return frame;
}

void NoteLayoutDpi(HWND window, int dpi) {
  SetPropW(window, MAKEINTATOM(LayoutDpiAtom()), reinterpret_cast<HANDLE>(INT_PTR{dpi}));
}

void Rescale(HWND window, int dpi, const RECT& frame) {
  int from = LayoutDpi(window);
  auto scale = [&](int value) { return MulDiv(value, dpi, from); };
  for (HWND child = from == dpi ? nullptr : GetWindow(window, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(child, nullptr, scale(place.left), scale(place.top),
                 scale(place.right - place.left), scale(place.bottom - place.top),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    if (HFONT rescaled = font ? SameFontAt(font, dpi) : nullptr) {
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(rescaled), TRUE);
    }
    if (IsListView(child)) {
      int columns = Header_GetItemCount(ListView_GetHeader(child));
      for (int column = 0; column < columns; ++column) {
        ListView_SetColumnWidth(child, column, scale(ListView_GetColumnWidth(child, column)));
      }
    }
  }
  NoteLayoutDpi(window, dpi);
  SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FollowDpiChange(HWND window, WPARAM wParam, LPARAM lParam) {
  Rescale(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
}

LRESULT CALLBACK ScalingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DPICHANGED) {
    FollowDpiChange(window, wParam, lParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace corvalinde::platform::win32
