#include "app/win32/reg_unreg_window.h"

#include "app/win32/results_window.h"

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "common/texts.h"
#include "platform/host_launcher.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "registration/host_registrar.h"
#include "platform/win32/common_dialogs.h"
#include "platform/win32/message_boxes.h"
#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/window_skeleton.h"
#include "registration/reg_unreg_dialog.h"

namespace corvalinde {
namespace {

using platform::win32::CreateControl;

constexpr wchar_t kRegUnregClass[] = L"CorvalindeRegUnreg";
enum ControlId {
  kFrame1 = 100,
  kOptUnReg,
  kOptRegistra,
  kFrame2,
  kTxtFilename,
  kCmdCerca,
  kPicSB,
  kCmdBack,
  kCmdOk,
  kChkUser,
  kOptCattura,
  kOptVerifica
};

struct View {
  std::unique_ptr<platform::HostLauncher> launcher = platform::MakeSystemHostLauncher();
  std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
  HostRegistrar registrar{*launcher, platform::ExecutablePath(), registry.get()};
  platform::win32::SystemMessageBoxes boxes;
  platform::win32::SystemDialogs dialogs;
  Win32ResultsView results;
  RegUnregDialog model;
  HWND window = nullptr;
  HWND text = nullptr;
  platform::win32::LightYellowBrush yellow;
  // While the files run, messages are still answered (the window repaints): none of them may
  // start a second run or close the window under the first.
  bool running = false;
  WNDPROC editProc = nullptr;

  View()
      : dialogs(nullptr, std::wstring(texts::kOk), std::wstring(texts::kCancel)),
        model(registrar, boxes, dialogs, platform::ProcessIsElevated(), registry.get()) {}

  void ShowList() { SetWindowTextW(text, model.fileList.c_str()); }
  void ReadList() {
    model.fileList = platform::win32::TextOf(text);
    model.unregister = IsDlgButtonChecked(window, kOptUnReg) == BST_CHECKED;
    model.capture = IsDlgButtonChecked(window, kOptCattura) == BST_CHECKED;
    model.verify = IsDlgButtonChecked(window, kOptVerifica) == BST_CHECKED;
    model.perUser = IsDlgButtonChecked(window, kChkUser) == BST_CHECKED;
  }
  // A capture writes to no registry, the user's or the machine's: the choice does not apply.
  void ShowScope() {
    EnableWindow(GetDlgItem(window, kChkUser),
                 IsDlgButtonChecked(window, kOptCattura) != BST_CHECKED);
  }
};

// Files dropped from the shell onto the text box replace its content, each followed by ";".
LRESULT CALLBACK TextBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  View* view = platform::win32::StateOf<View>(GetParent(edit));
  if (message == WM_DROPFILES) {
    auto drop = reinterpret_cast<HDROP>(wParam);
    std::vector<std::wstring> paths;
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      UINT length = DragQueryFileW(drop, i, nullptr, 0);
      if (length == 0) break;  // keep what was read so far
      std::wstring path(length + 1, L'\0');
      path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
      paths.push_back(path);
    }
    DragFinish(drop);
    view->model.Drop(paths);
    view->ShowList();
    return 0;
  }
  return CallWindowProcW(view->editProc, edit, message, wParam, lParam);
}

void Build(HWND window, View* view) {
  view->window = window;
  view->dialogs.SetOwner(window);
  view->boxes.SetOwner(window);
  view->results.SetOwner(window);
  view->model.SetLongResults(&view->results, LinesThatFitABox());
  // Action frame on the left, path frame on the right, the two main buttons in a bottom strip.
  CreateControl(window, L"BUTTON", texts::kActionFrame, BS_GROUPBOX, 8, 6, 112, 104, kFrame1);
  CreateControl(window, L"BUTTON", texts::kUnregisterOption,
                WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 18, 24, 96, 20, kOptUnReg);
  HWND registra = CreateControl(window, L"BUTTON", texts::kRegisterOption, BS_AUTORADIOBUTTON, 18,
                                45, 96, 20, kOptRegistra);
  CreateControl(window, L"BUTTON", texts::kCaptureOption, BS_AUTORADIOBUTTON, 18, 66, 98, 20,
                kOptCattura);
  CreateControl(window, L"BUTTON", texts::kVerifyOption, BS_AUTORADIOBUTTON, 18, 87, 98, 20,
                kOptVerifica);
  SendMessageW(registra, BM_SETCHECK, BST_CHECKED, 0);
  CreateControl(window, L"BUTTON", texts::kPathFrame, BS_GROUPBOX, 128, 6, 304, 104, kFrame2);
  view->text =
      CreateControl(window, L"EDIT", L"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, 138,
                    28, 284, 22, kTxtFilename);
  SendMessageW(view->text, EM_SETLIMITTEXT, 0, 0);  // lists of any length
  DragAcceptFiles(view->text, TRUE);
  view->editProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(view->text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextBoxProc)));
  CreateControl(window, L"BUTTON", texts::kUserOnly, WS_TABSTOP | BS_AUTOCHECKBOX, 138, 60, 196, 20,
                kChkUser);
  CreateControl(window, L"BUTTON", texts::kBrowse, WS_TABSTOP, 342, 56, 80, 26, kCmdCerca);
  CreateControl(window, L"STATIC", L"", SS_ETCHEDHORZ, 0, 118, 440, 2, kPicSB);
  CreateControl(window, L"BUTTON", texts::kBack, WS_TABSTOP, 8, 128, 96, 28, kCmdBack);
  CreateControl(window, L"BUTTON", texts::kStart, WS_TABSTOP | BS_DEFPUSHBUTTON, 336, 128, 96, 28,
                kCmdOk);
}

LRESULT CALLBACK RegUnregProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  View* view = platform::win32::StateOf<View>(window);
  switch (message) {
    case WM_CREATE:
      Build(window, platform::win32::AttachState<View>(window, lParam));
      return 0;
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) == view->text) return view->yellow.Paint(wParam);
      break;
    case WM_COMMAND:
      if (view->running) return 0;
      switch (LOWORD(wParam)) {
        case IDOK:  // Enter: "Avvia"
        case kCmdOk:
          view->ReadList();
          view->running = true;
          view->model.Avvia();
          view->running = false;
          return 0;
        case kOptUnReg:
        case kOptRegistra:
        case kOptCattura:
        case kOptVerifica:
          view->ShowScope();
          return 0;
        case kCmdCerca:
          view->model.Cerca();
          view->ShowList();
          return 0;
        case IDCANCEL:  // Esc: "Ritorna"
        case kCmdBack:
          platform::win32::EndModal(window);
          return 0;
      }
      return 0;
    case WM_CLOSE:
      if (view->running) return 0;
      break;
  }
  return platform::win32::ModalWindowDefault(window, message, wParam, lParam);
}

}  // namespace

bool RegisterRegUnregClass() {
  return platform::win32::RegisterWindowClass(kRegUnregClass, RegUnregProc);
}

void ShowRegUnregDialog(HWND owner) {
  // Each opening starts afresh: an empty list and "Registra".
  View view;
  platform::win32::ShowModalWindow(kRegUnregClass, texts::kRegUnregCaption,
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 440,
                                   164, owner, &view, kTxtFilename);
}

}  // namespace corvalinde
