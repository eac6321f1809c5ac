#include "message_checks.h"

namespace corvalinde::e2e {

namespace {

// Text for a failure message: what is not ASCII as "?".
std::string Ascii(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

::testing::AssertionResult ShowsThenEnds(const std::wstring& arguments, const std::wstring& text,
                                         SeenIcon icon, const std::wstring& title, DWORD exitCode,
                                         milliseconds wait) {
  AppProcess app(ProgramPath(), arguments);
  if (!app.Started()) return ::testing::AssertionFailure() << "Corvalinde.exe did not start";
  auto box = app.WaitForMessageBox(wait);
  if (!box) return ::testing::AssertionFailure() << "no message box within the wait";
  if (box->text != text) {
    return ::testing::AssertionFailure() << "text [" << Ascii(box->text) << "]";
  }
  if (box->title != title) {
    return ::testing::AssertionFailure() << "title [" << Ascii(box->title) << "]";
  }
  if (box->icon != icon) {
    return ::testing::AssertionFailure() << "icon " << static_cast<int>(box->icon);
  }
  if (box->buttons != std::vector<std::wstring>{L"OK"}) {
    return ::testing::AssertionFailure() << box->buttons.size() << " buttons, not just OK";
  }
  if (!PressButton(box->window, L"OK")) return ::testing::AssertionFailure() << "no OK";
  auto code = app.WaitForExit(std::chrono::seconds(10));
  if (!code) return ::testing::AssertionFailure() << "the process did not end after OK";
  if (*code != exitCode) return ::testing::AssertionFailure() << "exit code " << *code;
  return ::testing::AssertionSuccess();
}

WatchedRun Silently(const std::wstring& arguments) {
  WatchedRun run =
      RunWatched(L"\"" + ProgramPath() + L"\" /s " + arguments, std::chrono::seconds(60));
  EXPECT_FALSE(run.showedAWindow) << ::testing::PrintToString(arguments);
  return run;
}

}  // namespace corvalinde::e2e
