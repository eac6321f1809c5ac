#include "platform/win32/common_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"

namespace corvalinde::platform::win32 {
namespace {

constexpr wchar_t kInputBoxClass[] = L"CorvalindeInputBox";
enum InputBoxId { kPrompt = 100, kAnswer };

struct InputBoxState {
  std::wstring answer;
};

LRESULT CALLBACK InputBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(box, GWLP_USERDATA));
  switch (message) {
    case WM_CREATE:
      SetWindowLongPtrW(
          box, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        HWND edit = GetDlgItem(box, kAnswer);
        state->answer = TextOf(edit);
        EndModal(box);
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndModal(box);
      }
      return 0;
    case WM_DPICHANGED:
      FollowDpiChange(box, wParam, lParam);
      return 0;
    case WM_CLOSE:
      EndModal(box);
      return 0;
    default:
      return DefWindowProcW(box, message, wParam, lParam);
  }
}

void RegisterInputBoxClass() {
  static bool registered = RegisterWindowClass(kInputBoxClass, InputBoxProc);
  (void)registered;
}

}  // namespace

std::wstring SystemDialogs::OpenFile(const OpenFileRequest& request) {
  return FileDialog(request, false).path;
}

SavedFile SystemDialogs::SaveFile(const OpenFileRequest& request) {
  return FileDialog(request, true);
}

SavedFile SystemDialogs::FileDialog(const OpenFileRequest& request, bool save) {
  // "Description|pattern" becomes the NUL-separated, double-NUL-ended list comdlg32 wants.
  std::wstring filter = request.filter;
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.append(2, L'\0');
  std::vector<wchar_t> file(32768, L'\0');
  request.fileName.copy(file.data(), file.size() - 1);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(owner_);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = request.title.c_str();
  dialog.Flags = request.flags;
  // A default extension: with one, a name typed without an extension gets the chosen type's
  // (Windows and Wine alike take it from the filter chosen); the first pattern's ("*.reg":
  // "reg") is the one named.
  std::wstring extension = request.filter.substr(request.filter.find(L'|') + 1);
  extension = extension.substr(0, extension.find(L'|'));
  extension = extension.rfind(L"*.", 0) == 0 ? extension.substr(2) : std::wstring();
  if (save) {
    dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!extension.empty() && extension != L"*") dialog.lpstrDefExt = extension.c_str();
  }
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return {};
  return {file.data(), dialog.nFilterIndex > 0 ? dialog.nFilterIndex - 1 : 0};
}

std::wstring SystemDialogs::InputBox(const std::wstring& prompt, const std::wstring& title,
                                     const std::wstring& defaultText) {
  RegisterInputBoxClass();
  InputBoxState state;
  HWND owner = static_cast<HWND>(owner_);
  HWND box = CreateCentredWindow(kInputBoxClass, title, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                 WS_EX_DLGMODALFRAME, 360, 112, owner, &state);
  if (!box) return {};
  CreateControl(box, L"STATIC", prompt, 0, 12, 12, 250, 40, kPrompt);
  CreateControl(box, L"BUTTON", ok_, WS_TABSTOP | BS_DEFPUSHBUTTON, 272, 10, 76, 24, IDOK);
  CreateControl(box, L"BUTTON", cancel_, WS_TABSTOP, 272, 40, 76, 24, IDCANCEL);
  HWND edit = CreateControl(box, L"EDIT", defaultText, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 12,
                            78, 336, 22, kAnswer);
  RunModal(box, owner, edit);
  return state.answer;
}

}  // namespace corvalinde::platform::win32
