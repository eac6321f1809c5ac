#include "app_driver.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "icon_matcher.h"

namespace corvalinde::e2e {
namespace {

constexpr milliseconds kPoll{50};

struct WindowSearch {
  DWORD processId;
  std::wstring windowClass;
  std::wstring caption;
  HWND found;
  bool mustBeVisible = true;
};

std::wstring ClassName(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId) return TRUE;
  if (search.mustBeVisible && !IsWindowVisible(window)) return TRUE;
  if (ClassName(window) != search.windowClass) return TRUE;
  if (!search.caption.empty() && WindowText(window) != search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::wstring WithoutAccessKeys(std::wstring caption) {
  std::wstring plain;
  for (wchar_t c : caption) {
    if (c != L'&') plain.push_back(c);
  }
  return plain;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPoll);
  }
  return true;
}

bool WaitGone(HWND window, milliseconds timeout) {
  return WaitUntil([window] { return !IsWindow(window); }, timeout);
}

bool WaitForeground(HWND window, milliseconds timeout) {
  return WaitUntil([window] { return GetForegroundWindow() == window; }, timeout);
}

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return text;
}

MessageBoxSeen ReadMessageBox(HWND box) {
  MessageBoxSeen seen;
  seen.window = box;
  seen.title = WindowText(box);
  seen.icon = SeenIcon::None;
  for (HWND child : Children(box)) {
    std::wstring cls = ClassName(child);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      if (IsWindowVisible(child)) seen.buttons.push_back(WithoutAccessKeys(WindowText(child)));
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      LONG style = GetWindowLongW(child, GWL_STYLE);
      if ((style & SS_TYPEMASK) == SS_ICON) {
        if (IsWindowVisible(child)) seen.icon = RecogniseIcon(child);
      } else if (seen.text.empty()) {
        seen.text = WindowText(child);
      }
    }
  }
  return seen;
}

bool PressButton(HWND dialog, const std::wstring& caption) {
  for (HWND child : Children(dialog)) {
    if (_wcsicmp(ClassName(child).c_str(), L"Button") != 0) continue;
    if (WithoutAccessKeys(WindowText(child)) != caption) continue;
    PostMessageW(child, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

bool AnswerYes(HWND box) {
  if (!PressButton(box, L"Yes") && !PressButton(box, L"Sì")) return false;
  return WaitGone(box);
}

AppProcess::AppProcess(const std::wstring& exePath, const std::wstring& arguments,
                       bool shareOutput) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (shareOutput) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE handle : {startup.hStdOutput, startup.hStdError}) {
      SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
  }
  PROCESS_INFORMATION info{};
  if (CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, shareOutput, 0, nullptr,
                     nullptr, &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
}

AppProcess::AppProcess(HANDLE process) : process_(process), id_(GetProcessId(process)) {}

AppProcess::~AppProcess() {
  if (!process_) return;
  if (IsRunning()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool AppProcess::IsRunning() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND AppProcess::WaitForWindow(const std::wstring& windowClass, const std::wstring& caption,
                               milliseconds timeout) const {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    // Only what the user can see: the browser exists, hidden, while its catalogue loads.
    WindowSearch search{id_, windowClass, caption, nullptr, true};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    std::this_thread::sleep_for(kPoll);
  } while (std::chrono::steady_clock::now() < deadline);
  return nullptr;
}

HWND AppProcess::FindWindowOfClass(const std::wstring& windowClass, bool mustBeVisible) const {
  WindowSearch search{id_, windowClass, L"", nullptr, mustBeVisible};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<MessageBoxSeen> AppProcess::WaitForMessageBox(milliseconds timeout) const {
  HWND box = WaitForWindow(L"#32770", L"", timeout);
  if (!box) return std::nullopt;
  // Its icon is told by its pixels: read again until they are painted (a box with no icon
  // reads as None at once), and until it is active, so that a key pressed next is its.
  MessageBoxSeen seen;
  WaitUntil(
      [&] {
        seen = ReadMessageBox(box);
        return !IsWindow(box) || (!seen.buttons.empty() && seen.icon != SeenIcon::Unknown &&
                                  GetForegroundWindow() == box);
      },
      milliseconds(2000));
  return seen;
}

std::optional<DWORD> AppProcess::WaitForExit(milliseconds timeout) const {
  if (!process_ ||
      WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::string RunAndCapture(const std::wstring& commandLine) {
  return RunWatched(commandLine, milliseconds(120000)).output;
}

namespace {

BOOL CALLBACK FindVisibleOfProcess(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<std::pair<DWORD, bool>*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.first || !IsWindowVisible(window)) return TRUE;
  search.second = true;
  return FALSE;
}

}  // namespace

WatchedRun RunWatched(const std::wstring& commandLine, milliseconds timeout) {
  WatchedRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return run;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;
  // No console of its own for a console program: its output is the pipe.
  BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, nullptr, &startup, &info);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return run;
  }
  std::thread reader([&] {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) {
      run.output.append(buffer, got);
    }
  });
  auto deadline = std::chrono::steady_clock::now() + timeout;
  bool stopped = false;
  while (WaitForSingleObject(info.hProcess, 20) == WAIT_TIMEOUT) {
    std::pair<DWORD, bool> search{info.dwProcessId, false};
    EnumWindows(FindVisibleOfProcess, reinterpret_cast<LPARAM>(&search));
    run.showedAWindow = run.showedAWindow || search.second;
    if (std::chrono::steady_clock::now() > deadline) {
      TerminateProcess(info.hProcess, 99);
      WaitForSingleObject(info.hProcess, 5000);
      stopped = true;
      break;
    }
  }
  DWORD code = 0;
  if (!stopped && GetExitCodeProcess(info.hProcess, &code)) run.exitCode = code;
  reader.join();
  CloseHandle(readEnd);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return run;
}

HWND FindChild(HWND parent, const std::wstring& windowClass, int index) {
  for (HWND child : Children(parent)) {
    if (_wcsicmp(ClassName(child).c_str(), windowClass.c_str()) == 0 && index-- == 0) return child;
  }
  return nullptr;
}

void SetText(HWND control, const std::wstring& text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                      SMTO_ABORTIFHUNG, 2000, &result);
}

// The pointer is moved by the same input as the click, not by SetCursorPos: once another
// program has had the pointer, Wine can leave SetCursorPos without effect, and the click lands
// wherever the pointer was.
void ClickOn(HWND window, std::optional<POINT> offset) {
  RECT area{};
  GetWindowRect(window, &area);
  POINT at = offset ? POINT{area.left + offset->x, area.top + offset->y}
                    : POINT{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
  auto absolute = [](int coordinate, int extent) {
    return static_cast<LONG>((coordinate * 65535LL) / (extent - 1));
  };
  INPUT clicks[3] = {};
  clicks[0].type = clicks[1].type = clicks[2].type = INPUT_MOUSE;
  clicks[0].mi.dx = absolute(at.x, GetSystemMetrics(SM_CXSCREEN));
  clicks[0].mi.dy = absolute(at.y, GetSystemMetrics(SM_CYSCREEN));
  clicks[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, clicks, sizeof(INPUT));
}

void PressKey(WORD key, bool control) {
  INPUT strokes[4] = {};
  UINT count = 0;
  auto stroke = [&](WORD vk, DWORD flags) {
    strokes[count].type = INPUT_KEYBOARD;
    strokes[count].ki.wVk = vk;
    strokes[count++].ki.dwFlags = flags;
  };
  if (control) stroke(VK_CONTROL, 0);
  stroke(key, 0);
  stroke(key, KEYEVENTF_KEYUP);
  if (control) stroke(VK_CONTROL, KEYEVENTF_KEYUP);
  SendInput(count, strokes, sizeof(INPUT));
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                            : nullptr;
}

bool ClickForFocus(HWND control, std::optional<POINT> offset) {
  for (int clicks = 0; clicks < 3; ++clicks) {
    ClickOn(control, offset);
    if (WaitUntil([control] { return FocusOf(control) == control; }, milliseconds(1000))) {
      return true;
    }
  }
  return false;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const wchar_t*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  return text;
}

std::wstring CopiedText(const std::function<void()>& copy) {
  DWORD before = GetClipboardSequenceNumber();
  copy();
  // Read only once the program has opened and emptied it; until it has closed it, reading
  // fails and is tried again.
  std::wstring text;
  WaitUntil(
      [&] { return GetClipboardSequenceNumber() != before && !(text = ClipboardText()).empty(); },
      milliseconds(5000));
  return text;
}

std::vector<std::wstring> ListBoxItems(HWND listBox) {
  std::vector<std::wstring> items;
  DWORD_PTR count = 0;
  SendMessageTimeoutW(listBox, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(listBox, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::wstring item(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    item.resize(copied);
    items.push_back(item);
  }
  return items;
}

bool DropFiles(const AppProcess& app, HWND target, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
  void* remote =
      VirtualAllocEx(app.Handle(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(app.Handle(), remote, block.data(), block.size(), nullptr)) {
    return false;
  }
  return PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != 0;
}

HWND WaitForTrayControl(const AppProcess& app) {
  HWND control = nullptr;
  WaitUntil(
      [&] {
        HWND main = app.FindWindowOfClass(L"CorvalindeMain", false);
        control = main ? FindWindowExW(main, nullptr, L"CorvalindeTrayControl", nullptr) : nullptr;
        return control != nullptr;
      },
      milliseconds(10000));
  return control;
}

void SendTrayCallback(HWND control, UINT mouseMessage) {
  PostMessageW(control, WM_MOUSEMOVE, 1, mouseMessage);
}

bool SendTrayCallbackAndWait(HWND control, UINT mouseMessage) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(control, WM_MOUSEMOVE, 1, mouseMessage, SMTO_NORMAL, 2000, &result) !=
         0;
}

bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

bool ChooseFromTrayMenu(const AppProcess& app, HWND control, TrayCommand command) {
  SendTrayCallback(control, WM_RBUTTONDOWN);
  HWND menu = app.WaitForWindow(L"#32768", L"", milliseconds(5000));
  if (!menu) return false;
  // From no item selected, the n-th press down selects the n-th command (separators skipped).
  for (int i = 0; i < static_cast<int>(command); ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  return true;
}

std::wstring RegistryText(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size)) return {};
  return data;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* exe, DWORD parent) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, exe) == 0 && (!parent || entry.th32ParentProcessID == parent)) {
      found.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
  return found;
}

bool NoneLeftWithin(const wchar_t* exe, milliseconds wait, DWORD parent) {
  return WaitUntil([&] { return ProcessesNamed(exe, parent).empty(); }, wait);
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring ProgramPath() {
  return ProgramFolder() + L"\\Corvalinde.exe";
}

std::wstring TestModule(const std::wstring& name) {
  return ProgramFolder() + L"\\" + name + L".dll";
}

std::wstring Folder32() {
  const std::wstring bin = ProgramFolder();
  return bin.substr(0, bin.find_last_of(L'\\')) + L"\\bin32";
}

bool ThirtyTwoBitProgramsRun() {
  AppProcess probe(Folder32() + L"\\testsrv.exe", L"");
  return probe.Started() && probe.WaitForExit(std::chrono::seconds(20)).has_value();
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::wstring SettingsFile() {
  return ProgramFolder() + L"\\opz.dat";
}

}  // namespace corvalinde::e2e
