// Drives a running Corvalinde.exe the way a user would, through Win32 only: find the windows it
// shows, read their texts, press their buttons, and see how the process ended.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvalinde::e2e {

using std::chrono::milliseconds;

// Checks `condition` every 50 ms until it holds or `timeout` has passed; whether it held. Tests
// wait for what they expect to see, never for a fixed time.
bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout);
// Until `window` is gone; whether it went within `timeout`.
bool WaitGone(HWND window, milliseconds timeout = milliseconds(5000));
// Until `window` is the active one, where key presses go; whether it became so.
bool WaitForeground(HWND window, milliseconds timeout = milliseconds(2000));

// The tray menu's commands, in their order on the menu.
enum class TrayCommand { RegUnreg = 1, ModuleList, Options, About, Exit };

// The icon of a message box as the user sees it, told apart by its pixels: the flag values
// (16 error, 48 exclamation, 64 information), 0 for none, -1 when it matches none of them.
enum class SeenIcon { Unknown = -1, None = 0, Error = 16, Exclamation = 48, Information = 64 };

struct MessageBoxSeen {
  HWND window = nullptr;
  std::wstring title;
  std::wstring text;
  SeenIcon icon = SeenIcon::Unknown;
  std::vector<std::wstring> buttons;  // captions, in window order
};

// A started process, ended by force when the object goes if it is still running.
class AppProcess {
 public:
  // With `shareOutput`, the program writes to this process's standard output and error.
  AppProcess(const std::wstring& exePath, const std::wstring& arguments, bool shareOutput = false);
  // Takes over a process someone else started (the shell, for a verb).
  explicit AppProcess(HANDLE process);
  ~AppProcess();
  AppProcess(const AppProcess&) = delete;
  AppProcess& operator=(const AppProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  HANDLE Handle() const { return process_; }
  DWORD Id() const { return id_; }

  // The first visible top-level window of the process with this class (and caption, if given).
  HWND WaitForWindow(const std::wstring& windowClass, const std::wstring& caption,
                     milliseconds timeout) const;
  // A message box of the process, read once it has its buttons and has painted its icon.
  std::optional<MessageBoxSeen> WaitForMessageBox(milliseconds timeout) const;
  // A top-level window of the process with this class, shown or not, right now.
  HWND FindWindowOfClass(const std::wstring& windowClass, bool mustBeVisible) const;
  std::optional<DWORD> WaitForExit(milliseconds timeout) const;
  bool IsRunning() const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

std::wstring WindowText(HWND window);
// What a console program printed on its standard output, run to its end.
std::string RunAndCapture(const std::wstring& commandLine);
// A program run to its end (at most `timeout`) with its standard output on a pipe: what it
// wrote, how it ended, and whether a window of its was ever seen on the screen meanwhile.
struct WatchedRun {
  std::string output;
  std::optional<DWORD> exitCode;
  bool showedAWindow = false;
};
WatchedRun RunWatched(const std::wstring& commandLine, milliseconds timeout);
MessageBoxSeen ReadMessageBox(HWND box);
// Clicks the button whose caption, without "&", equals `caption` ("OK", "Sì", ...).
bool PressButton(HWND dialog, const std::wstring& caption);
// Answers a question box "Yes" (in the system's language or Italian) and waits until it is
// gone, so that the next box looked for is not this one closing.
bool AnswerYes(HWND box);

// The `index`-th child (from 0, in creation order) of `parent` with this window class, or
// nothing.
HWND FindChild(HWND parent, const std::wstring& windowClass, int index = 0);
// Sets a control's text as typing would leave it (WM_SETTEXT).
void SetText(HWND control, const std::wstring& text);
// A real click, through the system's input, at `offset` from the top-left corner of `window`
// (its middle when not given).
void ClickOn(HWND window, std::optional<POINT> offset = std::nullopt);
// A real key press, through the system's input, to whatever window has the keyboard; with
// `control`, while the Ctrl key is held down. Returns once the press is in the system's input;
// the caller waits for what it does.
void PressKey(WORD key, bool control = false);
// The control of another process that has the keyboard focus, or null.
HWND FocusOf(HWND window);
// Clicks `control` (see ClickOn) until it has the keyboard focus, at most three times: a window
// just shown can spend a click on becoming the active one. Whether it got the focus.
bool ClickForFocus(HWND control, std::optional<POINT> offset = std::nullopt);
// The text on the clipboard, empty when there is none.
std::wstring ClipboardText();
// The text `copy` puts on the clipboard: waits for the clipboard to change (without opening
// it, which would keep the program from writing it), then reads it; empty when it did not.
std::wstring CopiedText(const std::function<void()>& copy);
// A list box's lines, in order.
std::vector<std::wstring> ListBoxItems(HWND listBox);
// What the shell does when files are dropped on `target`: a WM_DROPFILES whose file list lives
// in the target process.
bool DropFiles(const AppProcess& app, HWND target, const std::vector<std::wstring>& paths);

// Tray mode: the hidden main window's callback control, once start-up is over.
HWND WaitForTrayControl(const AppProcess& app);
// What the shell sends when the user does `mouseMessage` on the tray icon; and the same sent,
// returning once the program has handled it (false if it did not within two seconds, as when
// the message opened a menu, whose loop holds it).
void SendTrayCallback(HWND control, UINT mouseMessage);
bool SendTrayCallbackAndWait(HWND control, UINT mouseMessage);
// Whether the thread of `window` answers a message now: everything it was doing when asked,
// and any window it was about to show, is done.
bool Answers(HWND window);
// Opens the tray menu with a right press and picks `command` with the keyboard, as a user can.
bool ChooseFromTrayMenu(const AppProcess& app, HWND control, TrayCommand command);

// A REG_SZ value under root\path (the default value when `name` is null); empty when absent.
std::wstring RegistryText(HKEY root, const std::wstring& path, const wchar_t* name = nullptr);
// Whether root\path opens for reading.
bool KeyExists(HKEY root, const std::wstring& path);

// A file's bytes (none when it cannot be read), and a file of that name in the temporary folder.
std::string FileBytes(const std::wstring& path);
std::wstring TempFile(const wchar_t* name);

// Folder of the running test program; Corvalinde.exe and the test modules sit in it.
// Processes named `exe` (with this parent, when given) running now; whether none is left
// within `wait`.
std::vector<DWORD> ProcessesNamed(const wchar_t* exe, DWORD parent = 0);
bool NoneLeftWithin(const wchar_t* exe, milliseconds wait, DWORD parent = 0);
std::wstring ProgramFolder();
// Corvalinde.exe there; and a test module there by its name without ".dll".
std::wstring ProgramPath();
std::wstring TestModule(const std::wstring& name);
// The 32-bit test builds' folder beside it (the 64-bit ones' names), and whether this Wine starts
// a 32-bit program (one of them that only ends).
std::wstring Folder32();
bool ThirtyTwoBitProgramsRun();
// The sample module's (testmod_good's) class, as its registration writes it.
inline constexpr wchar_t kSampleClassKey[] = L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}";
inline constexpr wchar_t kSampleProgId[] = L"Corvalinde.TestModule";

// The settings file beside the program.
std::wstring SettingsFile();

}  // namespace corvalinde::e2e
