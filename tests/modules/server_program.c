/* A COM server program as registration tools run it: /RegServer and /UnregServer create and
 * delete its key under the machine's classes, the PerUser forms under the user's. Copied under
 * names that change what it does: "fallisci" ends with exit code 3 having written nothing,
 * "blocca" starts a copy of itself that never ends, and never ends either. */
#include <windows.h>

#include <wchar.h>

static const wchar_t kClassKey[] = L"CorvalindeTest.ServerProgram";
static const wchar_t kUserClassKey[] = L"Software\\Classes\\CorvalindeTest.ServerProgram";

/* The first argument: the text after the program's (possibly quoted) path. */
static const wchar_t* FirstArgument(void) {
  const wchar_t* text = GetCommandLineW();
  if (*text == L'"') {
    text = wcschr(text + 1, L'"');
    text = text ? text + 1 : L"";
  } else {
    while (*text && *text != L' ') ++text;
  }
  while (*text == L' ') ++text;
  return text;
}

static int Named(const wchar_t* word) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
  return length && length < MAX_PATH && wcsstr(path, word) != NULL;
}

static int Write(HKEY root, const wchar_t* key) {
  HKEY created;
  if (RegCreateKeyExW(root, key, 0, NULL, 0, KEY_WRITE, NULL, &created, NULL)) return 5;
  RegSetValueExW(created, NULL, 0, REG_SZ, (const BYTE*)L"Server", sizeof L"Server");
  RegCloseKey(created);
  return 0;
}

static void StartStuckCopy(void) {
  wchar_t path[MAX_PATH], commandLine[MAX_PATH + 16];
  GetModuleFileNameW(NULL, path, MAX_PATH);
  swprintf(commandLine, MAX_PATH + 16, L"\"%ls\" /stuck", path);
  STARTUPINFOW startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  if (CreateProcessW(path, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)instance, (void)previous, (void)commandLine, (void)show;
  const wchar_t* argument = FirstArgument();
  if (_wcsicmp(argument, L"/stuck") == 0) {
    Sleep(INFINITE);
  }
  if (Named(L"fallisci")) return 3;
  if (Named(L"blocca")) {
    StartStuckCopy();
    Sleep(INFINITE);
  }
  if (_wcsicmp(argument, L"/RegServer") == 0) return Write(HKEY_CLASSES_ROOT, kClassKey);
  if (_wcsicmp(argument, L"/RegServerPerUser") == 0) return Write(HKEY_CURRENT_USER, kUserClassKey);
  if (_wcsicmp(argument, L"/UnregServer") == 0)
    return RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey) ? 5 : 0;
  if (_wcsicmp(argument, L"/UnregServerPerUser") == 0) {
    return RegDeleteKeyW(HKEY_CURRENT_USER, kUserClassKey) ? 5 : 0;
  }
  return 1;
}
