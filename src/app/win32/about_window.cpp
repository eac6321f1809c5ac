#include "app/win32/about_window.h"

#include <string>

#include "common/texts.h"
#include "app/win32/resource_ids.h"
#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/window_skeleton.h"

namespace corvalinde {
namespace {

constexpr wchar_t kAboutClass[] = L"CorvalindeAbout";
// Clear of IDOK and IDCANCEL, which Enter and Esc send.
enum LabelId { kLabel1 = 101, kLabek, kLblRegVer, kLblMain, kLabel3, kPicture1 };

struct AboutState {
  HICON icon;
  HWND lblMain;
  bool underlined;
  WNDPROC staticProc;
};

constexpr platform::win32::FontSpec kAboutOfFont{120, true};
constexpr platform::win32::FontSpec kNameFont{135, true};
constexpr platform::win32::FontSpec kBoldFont{98, true};
constexpr platform::win32::FontSpec kLinkUnderlinedFont{98, true, true};
// DEFAULT_GUI_FONT's face and size, at the window's DPI (the stock font is 96-DPI only).
constexpr platform::win32::FontSpec kGuiFont{80, false, false, L"MS Shell Dlg"};

AboutState* State(HWND window) {
  return platform::win32::StateOf<AboutState>(window);
}

void SetUnderline(HWND about, bool underlined) {
  AboutState* state = State(about);
  if (state->underlined == underlined) return;
  state->underlined = underlined;
  HFONT font = platform::win32::FontAt(underlined ? kLinkUnderlinedFont : kBoldFont,
                                       platform::win32::DpiOf(about));
  SendMessageW(state->lblMain, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
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
           const platform::win32::FontSpec& font) {
  HWND label =
      platform::win32::CreateControl(parent, L"STATIC", text, SS_NOTIFY, x, y, width, height, id);
  SendMessageW(
      label, WM_SETFONT,
      reinterpret_cast<WPARAM>(platform::win32::FontAt(font, platform::win32::DpiOf(parent))),
      FALSE);
  return label;
}

// The program's icon at the size the window's DPI asks for (made for it: a shared icon would
// come in the size first asked for).
void ShowIcon(HWND about) {
  AboutState* state = State(about);
  int size = platform::win32::ScaledFor(about, 32);
  HICON old = state->icon;
  state->icon = static_cast<HICON>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CORVALINDE), IMAGE_ICON, size, size, 0));
  SendMessageW(GetDlgItem(about, kPicture1), STM_SETICON, reinterpret_cast<WPARAM>(state->icon), 0);
  if (old) DestroyIcon(old);
}

void Load(HWND about) {
  auto* state = new AboutState{};
  SetWindowLongPtrW(about, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
  SetWindowTextW(about, std::wstring(texts::kAboutCaption).c_str());
  platform::win32::CreateControl(about, L"STATIC", L"", SS_ICON | SS_NOTIFY, 12, 12, 32, 32,
                                 kPicture1);
  ShowIcon(about);
  Label(about, kLabel1, texts::kAboutOf, 60, 10, 90, 22, kAboutOfFont);
  Label(about, kLabek, texts::kProgramName, 150, 8, 160, 24, kNameFont);
  std::wstring version = std::wstring(texts::kVersionPrefix) + std::wstring(texts::kVersionText);
  Label(about, kLblRegVer, version, 60, 38, 200, 18, kBoldFont);
  state->lblMain = Label(about, kLblMain, texts::kMakerLine, 60, 62, 300, 18, kBoldFont);
  state->staticProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(state->lblMain, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkProc)));
  Label(about, kLabel3, texts::kCommentsInvite, 12, 92, 420, 18, kGuiFont);
}

LRESULT CALLBACK AboutProc(HWND about, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Load(about);
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
    case WM_DPICHANGED:
      platform::win32::FollowDpiChange(about, wParam, lParam);
      ShowIcon(about);
      return 0;
    case WM_DESTROY:
      if (State(about)->icon) DestroyIcon(State(about)->icon);
      delete State(about);
      return 0;
    default:
      return platform::win32::ModalWindowDefault(about, message, wParam, lParam);
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
