#include "app/win32/results_window.h"

#include <commctrl.h>

#include <algorithm>

#include "common/texts.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/dpi.h"
#include "platform/win32/modal_window.h"
#include "platform/win32/window_skeleton.h"

namespace corvalinde {
namespace {

using platform::win32::CreateControl;
using platform::win32::ScaledFor;

constexpr wchar_t kResultsClass[] = L"CorvalindeResults";
enum ControlId { kList = 100, kTally, kCopy, kClose, kQuestion, kRetry };

struct Results {
  const std::vector<ResultRow>* rows;
  std::wstring tally;
  std::wstring question;  // none: nothing offered
  std::wstring answer;    // the caption of the button that says yes to it
  bool retry = false;
};

// The list takes what the question, the tally and the buttons below it leave.
void Layout(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  auto scaled = [window](int pixels) { return ScaledFor(window, pixels); };
  int margin = scaled(8), button = scaled(28), width = scaled(96), wide = scaled(200);
  int bottom = client.bottom - margin - button;
  HWND question = GetDlgItem(window, kQuestion);
  int questionHeight = question ? scaled(36) : 0;
  int listBottom = bottom - margin - (question ? questionHeight + margin : 0);
  MoveWindow(GetDlgItem(window, kList), margin, margin, client.right - 2 * margin,
             listBottom - margin, TRUE);
  if (question) {
    MoveWindow(question, margin, listBottom + margin, client.right - 2 * margin, questionHeight,
               TRUE);
    MoveWindow(GetDlgItem(window, kRetry), client.right - 2 * (width + margin) - wide - margin,
               bottom, wide, button, TRUE);
  }
  int tallyWidth =
      client.right - 2 * (width + margin) - (question ? wide + margin : 0) - 2 * margin;
  MoveWindow(GetDlgItem(window, kTally), margin, bottom + scaled(6), std::max(tallyWidth, 0),
             scaled(20), TRUE);
  MoveWindow(GetDlgItem(window, kCopy), client.right - 2 * (width + margin), bottom, width, button,
             TRUE);
  MoveWindow(GetDlgItem(window, kClose), client.right - width - margin, bottom, width, button,
             TRUE);
}

void Build(HWND window, const Results& results) {
  HWND list =
      CreateControl(window, WC_LISTVIEWW, L"",
                    WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 10, 10, kList);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
  int widths[] = {260, 90, 420};
  std::wstring_view headers[] = {texts::kResultsFile, texts::kResultsOutcome,
                                 texts::kResultsDetail};
  for (int i = 0; i < 3; ++i) {
    std::wstring header(headers[i]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = header.data();
    column.cx = ScaledFor(window, widths[i]);
    ListView_InsertColumn(list, i, &column);
  }
  int index = 0;
  for (const ResultRow& row : *results.rows) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(row.file.c_str());
    ListView_InsertItem(list, &item);
    ListView_SetItemText(list, index, 1, const_cast<wchar_t*>(row.outcome.c_str()));
    ListView_SetItemText(list, index, 2, const_cast<wchar_t*>(row.detail.c_str()));
    ++index;
  }
  CreateControl(window, L"STATIC", results.tally, SS_LEFT, 0, 0, 10, 10, kTally);
  if (!results.question.empty()) {
    CreateControl(window, L"STATIC", results.question, SS_LEFT, 0, 0, 10, 10, kQuestion);
    CreateControl(window, L"BUTTON", results.answer, WS_TABSTOP, 0, 0, 10, 10, kRetry);
  }
  CreateControl(window, L"BUTTON", texts::kCopy, WS_TABSTOP, 0, 0, 10, 10, kCopy);
  CreateControl(window, L"BUTTON", texts::kClose, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 10, 10,
                kClose);
  Layout(window);
}

LRESULT CALLBACK ResultsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* results = platform::win32::StateOf<Results>(window);
  switch (message) {
    case WM_CREATE:
      Build(window, *platform::win32::AttachState<Results>(window, lParam));
      return 0;
    case WM_SIZE:
      Layout(window);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCopy:
          platform::win32::CopyTextToClipboard(window, ResultsAsText(*results->rows));
          return 0;
        case kRetry:
          results->retry = true;
          platform::win32::EndModal(window);
          return 0;
        case IDOK:
        case IDCANCEL:
        case kClose:
          platform::win32::EndModal(window);
          return 0;
      }
      return 0;
  }
  return platform::win32::ModalWindowDefault(window, message, wParam, lParam);
}

}  // namespace

bool RegisterResultsClass() {
  return platform::win32::RegisterWindowClass(kResultsClass, ResultsProc);
}

bool Win32ResultsView::Show(const std::vector<ResultRow>& rows, const std::wstring& tally,
                            const std::wstring& question, const std::wstring& answer) {
  Results results{&rows, tally, question, answer};
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // As large as it needs, no larger than the work area (in 96-DPI pixels, as the helper takes).
  int dpi = platform::win32::SystemDpi();
  int width = std::min(800, MulDiv(work.right - work.left, 96, dpi) - 40);
  int height = std::min(480, MulDiv(work.bottom - work.top, 96, dpi) - 60);
  platform::win32::ShowModalWindow(kResultsClass, texts::kResultsCaption,
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                   WS_EX_DLGMODALFRAME, width, height, owner_, &results, kClose);
  return results.retry;
}

std::size_t LinesThatFitABox() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // A line of the box's font, and room for its caption, margins and button.
  int dpi = platform::win32::SystemDpi();  // message boxes are drawn at the system's DPI
  int line = platform::win32::Scaled(16, dpi), frame = platform::win32::Scaled(120, dpi);
  int room = work.bottom - work.top - frame;
  return room > line ? static_cast<std::size_t>(room / line) : 1;
}

}  // namespace corvalinde
