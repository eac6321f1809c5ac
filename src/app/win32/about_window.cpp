#include "app/win32/about_window.h"

#include <string>

#include "common/texts.h"
#include "app/win32/resource_ids.h"
#include "platform/win32/modal_window.h"

namespace corvalinde {
namespace {

constexpr wchar_t kAboutClass[] = L"CorvalindeAbout";
// Clear of IDOK and IDCANCEL, which Enter and Esc send.
enum LabelId { kLabel1 = 101, kLabek, kLblRegVer, kLblMain, kLabel3, kPicture1 };

struct AboutState {
  HFONT aboutOf, name, bold, linkPlain, linkUnderlined;
  HWND lblMain;
  bool underlined;
  WNDPROC staticProc;
};

HFONT Font(HWND window, int tenthsOfPoint, bool bold, bool underline) {
  HDC dc = GetDC(window);
  int height = -MulDiv(tenthsOfPoint, GetDeviceCaps(dc, LOGPIXELSY), 720);
  ReleaseDC(window, dc);
  return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH, L"MS Sans Serif");
}

AboutState* State(HWND window) {
  return reinterpret_cast<AboutState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void SetUnderline(HWND about, bool underlined) {
  AboutState* state = State(about);
  if (state->underlined == underlined) return;
  state->underlined = underlined;
  SendMessageW(state->lblMain, WM_SETFONT,
               reinterpret_cast<WPARAM>(underlined ? state->linkUnderlined : state->linkPlain),
               TRUE);
}

// lblMain, the link: the pointer over it underlines it.
LRESULT CALLBACK LinkProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND about = GetParent(label);
  if (message == WM_MOUSEMOVE) SetUnderline(about, true);
  if (message == WM_SETCURSOR) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  return CallWindowProcW(State(about)->staticProc, label, message, wParam, lParam);
}

void OpenMakerSite() {
  std::wstring command = L"explorer " + std::wstring(texts::kMakerSite);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMAXIMIZED;
  PROCESS_INFORMATION info{};
  // A failure is ignored: the box stays as it was.
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

HWND Label(HWND parent, int id, std::wstring_view text, int x, int y, int width, int height,
           HFONT font) {
  HWND label = CreateWindowExW(0, L"STATIC", std::wstring(text).c_str(),
                               WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(label, WM_SETFONT,
               reinterpret_cast<WPARAM>(font ? font : GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return label;
}

void Load(HWND about) {
  auto* state = new AboutState{};
  SetWindowLongPtrW(about, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  state->aboutOf = Font(about, 120, true, false);
  state->name = Font(about, 135, true, false);
  state->bold = Font(about, 98, true, false);
  state->linkPlain = Font(about, 98, true, false);
  state->linkUnderlined = Font(about, 98, true, true);

  SetWindowTextW(about, std::wstring(texts::kAboutCaption).c_str());
  HWND picture = CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON | SS_NOTIFY, 12, 12, 32, 32, about,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPicture1)), nullptr, nullptr);
  SendMessageW(picture, STM_SETICON,
               reinterpret_cast<WPARAM>(
                   LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CORVALINDE))),
               0);
  Label(about, kLabel1, texts::kAboutOf, 60, 10, 90, 22, state->aboutOf);
  Label(about, kLabek, texts::kProgramName, 150, 8, 160, 24, state->name);
  std::wstring version = std::wstring(texts::kVersionPrefix) + std::wstring(texts::kVersionText);
  Label(about, kLblRegVer, version, 60, 38, 200, 18, state->bold);
  state->lblMain = Label(about, kLblMain, texts::kMakerLine, 60, 62, 300, 18, state->linkPlain);
  state->staticProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(state->lblMain, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkProc)));
  Label(about, kLabel3, texts::kCommentsInvite, 12, 92, 420, 18, nullptr);
}

LRESULT CALLBACK AboutProc(HWND about, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Load(about);
      return 0;
    case WM_CLOSE:
      platform::win32::EndModal(about);
      return 0;
    case WM_MOUSEMOVE:  // the bare surface
      SetUnderline(about, false);
      return 0;
    case WM_CTLCOLORSTATIC: {
      auto id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, id == kLabek || id == kLblRegVer ? RGB(0, 0, 255) : RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {  // Enter and Esc close it
        platform::win32::EndModal(about);
      } else if (LOWORD(wParam) == kLblMain && HIWORD(wParam) == STN_CLICKED) {
        OpenMakerSite();
      }
      return 0;
    case WM_DESTROY: {
      AboutState* state = State(about);
      for (HFONT font :
           {state->aboutOf, state->name, state->bold, state->linkPlain, state->linkUnderlined}) {
        DeleteObject(font);
      }
      delete state;
      return 0;
    }
    default:
      return DefWindowProcW(about, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterAboutClass() {
  return platform::win32::RegisterWindowClass(kAboutClass, AboutProc);
}

void ShowAboutBox(HWND owner) {
  HWND about =
      platform::win32::CreateCentredWindow(kAboutClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                           WS_EX_TOOLWINDOW, 450, 120, owner, nullptr);
  if (about) platform::win32::RunModal(about, owner);
}

}  // namespace corvalinde
