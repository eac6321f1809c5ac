#include "icon_matcher.h"

#include <cstdlib>
#include <vector>

namespace corvalinde::e2e {
namespace {

constexpr int kSize = 32;
using Pixels = std::vector<COLORREF>;

// Draws into a 32x32 top-down bitmap; `paint` gets the memory DC.
template <typename Paint>
Pixels Capture(Paint paint) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kSize;
  info.bmiHeader.biHeight = -kSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  paint(memory, screen);
  GdiFlush();
  auto* raw = static_cast<const DWORD*>(bits);
  Pixels pixels(raw, raw + kSize * kSize);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (COLORREF& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

Pixels DrawOn(HICON icon, COLORREF background) {
  return Capture([&](HDC memory, HDC) {
    RECT all{0, 0, kSize, kSize};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL);
  });
}

bool Near(COLORREF a, COLORREF b) {
  auto channel = [](COLORREF c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  for (int shift : {0, 8, 16}) {
    if (std::abs(channel(a, shift) - channel(b, shift)) > 24) return false;
  }
  return true;
}

// Share of the icon's opaque pixels (those equal on black and on white) found on screen.
double Similarity(const Pixels& seen, HICON icon) {
  Pixels onBlack = DrawOn(icon, RGB(0, 0, 0));
  Pixels onWhite = DrawOn(icon, RGB(255, 255, 255));
  int opaque = 0, matching = 0;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    if (onBlack[i] != onWhite[i]) continue;
    ++opaque;
    if (Near(seen[i], onBlack[i])) ++matching;
  }
  return opaque ? static_cast<double>(matching) / opaque : 0.0;
}

}  // namespace

SeenIcon RecogniseIcon(HWND iconControl) {
  RECT box{};
  GetWindowRect(iconControl, &box);
  Pixels seen = Capture([&](HDC memory, HDC screen) {
    BitBlt(memory, 0, 0, kSize, kSize, screen, box.left, box.top, SRCCOPY);
  });
  const struct {
    LPCWSTR id;
    SeenIcon icon;
  } candidates[] = {{IDI_ERROR, SeenIcon::Error},
                    {IDI_WARNING, SeenIcon::Exclamation},
                    {IDI_INFORMATION, SeenIcon::Information}};
  SeenIcon best = SeenIcon::Unknown;
  double bestScore = 0.8;  // below this the picture is no system icon we know
  for (const auto& candidate : candidates) {
    double score = Similarity(seen, LoadIconW(nullptr, candidate.id));
    if (score > bestScore) {
      bestScore = score;
      best = candidate.icon;
    }
  }
  return best;
}

}  // namespace corvalinde::e2e
