#include "app/win32/options_window.h"

#include <string>

#include "common/texts.h"
#include "options/options_dialog.h"
#include "platform/win32/common_dialogs.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/window_skeleton.h"

namespace corvalinde {
namespace {

using platform::win32::CreateControl;

constexpr wchar_t kOptionsClass[] = L"CorvalindeOptions";
enum ControlId {
  kFrame1 = 100,
  kChkAssocia,
  kLstExt,
  kCmdAddExt,
  kCmdDeleteExt,
  kCmdOk,
  kCmdAnnulla,
  kChkWinStart,
  kPicture1,
  kLblRunPlace
};

struct View {
  platform::win32::SystemMessageBoxes boxes;
  platform::win32::SystemDialogs dialogs{nullptr, std::wstring(texts::kOk),
                                         std::wstring(texts::kCancel)};
  OptionsDialog model;
  HWND window = nullptr;

  View(Opzioni& settings, platform::Registry& registry, const std::wstring& folder)
      : model(settings, registry, boxes, dialogs, folder) {}

  HWND Item(int id) const { return GetDlgItem(window, id); }

  // The list and the enabling rules, from the model.
  void Show() {
    HWND list = Item(kLstExt);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& extension : model.extensions) {
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(extension.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(model.selected), 0);
    bool area = model.ExtensionAreaEnabled();
    EnableWindow(list, area);
    EnableWindow(Item(kCmdAddExt), area);
    EnableWindow(Item(kCmdDeleteExt), area && model.DeleteEnabled());
  }
};

void Build(HWND window, View* view) {
  view->window = window;
  view->dialogs.SetOwner(window);
  view->boxes.SetOwner(window);
  // Created in tab order, which follows the screen from the top left.
  CreateControl(window, L"BUTTON", texts::kGeneralFrame, BS_GROUPBOX, 8, 6, 344, 196, kFrame1);
  CreateControl(window, L"BUTTON", texts::kWinStartBox, WS_TABSTOP | BS_AUTOCHECKBOX, 20, 28, 320,
                20, kChkWinStart);
  CreateControl(window, L"BUTTON", texts::kAssociateBox, WS_TABSTOP | BS_AUTOCHECKBOX, 20, 54, 320,
                20, kChkAssocia);
  CreateControl(window, L"LISTBOX", L"", WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, 40, 80,
                180, 112, kLstExt);
  CreateControl(window, L"BUTTON", texts::kAdd, WS_TABSTOP, 232, 80, 100, 26, kCmdAddExt);
  CreateControl(window, L"BUTTON", texts::kDelete, WS_TABSTOP, 232, 112, 100, 26, kCmdDeleteExt);
  CreateControl(window, L"STATIC", L"", SS_ETCHEDHORZ, 0, 210, 360, 2, kPicture1);
  CreateControl(window, L"BUTTON", texts::kCancel, WS_TABSTOP, 144, 220, 100, 28, kCmdAnnulla);
  CreateControl(window, L"BUTTON", texts::kConfirm, WS_TABSTOP | BS_DEFPUSHBUTTON, 252, 220, 100,
                28, kCmdOk);
  // Which Run key holds the entry: the machine's, or (without the rights for it) the user's.
  std::wstring_view place =
      view->model.runEntryPlace == RunEntryPlace::Machine ? texts::kRunEntryMachine
      : view->model.runEntryPlace == RunEntryPlace::User  ? texts::kRunEntryUser
                                                          : std::wstring_view();
  CreateControl(window, L"STATIC", place, SS_LEFT, 8, 220, 132, 28, kLblRunPlace);
  CheckDlgButton(window, kChkAssocia, view->model.associa ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window, kChkWinStart, view->model.winStart ? BST_CHECKED : BST_UNCHECKED);
  view->Show();
}

LRESULT CALLBACK OptionsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  View* view = platform::win32::StateOf<View>(window);
  switch (message) {
    case WM_CREATE:
      Build(window, platform::win32::AttachState<View>(window, lParam));
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kChkAssocia:
          view->model.associa = IsDlgButtonChecked(window, kChkAssocia) == BST_CHECKED;
          view->Show();
          break;
        case kChkWinStart:
          view->model.winStart = IsDlgButtonChecked(window, kChkWinStart) == BST_CHECKED;
          break;
        case kLstExt:
          if (HIWORD(wParam) == LBN_SELCHANGE) {
            view->model.selected =
                static_cast<int>(SendMessageW(view->Item(kLstExt), LB_GETCURSEL, 0, 0));
            view->Show();
          }
          break;
        case kCmdAddExt:
          view->model.Aggiungi();
          view->Show();
          break;
        case kCmdDeleteExt:
          view->model.Elimina();
          view->Show();
          break;
        case IDOK:  // Enter: "Conferma"
        case kCmdOk:
          view->model.Conferma();
          platform::win32::EndModal(window);
          break;
        case IDCANCEL:  // Esc: "Annulla"
        case kCmdAnnulla:
          platform::win32::EndModal(window);
          break;
      }
      return 0;
  }
  return platform::win32::ModalWindowDefault(window, message, wParam, lParam);
}

}  // namespace

bool RegisterOptionsClass() {
  return platform::win32::RegisterWindowClass(kOptionsClass, OptionsProc);
}

void ShowOptionsDialog(HWND owner, Opzioni& settings, platform::Registry& registry,
                       const std::wstring& executableFolder) {
  View view(settings, registry, executableFolder);
  platform::win32::ShowModalWindow(kOptionsClass, texts::kOptionsCaption,
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 360,
                                   256, owner, &view, kChkAssocia);
}

}  // namespace corvalinde
