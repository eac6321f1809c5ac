/* One module, many misbehaviours: what DllRegisterServer does is named by the file's own name,
 * the part after "testmod_do_" (the build copies it under each name the tests use):
 *   write8k, write1m, writeforever  write that much (or without end) to the standard output and
 *                                   to every pipe handle the process holds, then succeed;
 *   forge                           write a report that says "registered" there, then
 *                                   ExitProcess(0);
 *   spawn, spawnhang                start a program that sleeps a minute (rundll32 on this very
 *                                   module), then succeed or hang;
 *   closewindows                    post WM_CLOSE to the program's browser and hidden main
 *                                   window, then succeed a moment later (unregistering too);
 *   reglink                         create registry links under its own class: one to its parent
 *                                   (a loop), one to HKLM\Software\CorvalindeVictim;
 *   write100mb                      write 100 values of 1 MB under its own class;
 *   machinekeys                     write its class under HKLM\Software\Classes, and a vendor
 *                                   key HKLM\Software\CorvalindeVendor, directly; unregistering
 *                                   deletes both the same way.
 * Windows only. */
#include <wchar.h>

#include "test_module.h"

#define CLASS_KEY L"CLSID\\{C0B7A11D-0000-4000-8000-00000000BAD1}"

static HINSTANCE self;

static int Is(const wchar_t* behaviour) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return 0;
  const wchar_t* name = wcsrchr(path, L'\\');
  name = name ? name + 1 : path;
  size_t prefix = wcslen(L"testmod_do_"), wanted = wcslen(behaviour);
  return _wcsnicmp(name, L"testmod_do_", prefix) == 0 &&
         _wcsnicmp(name + prefix, behaviour, wanted) == 0 && name[prefix + wanted] == L'.';
}

/* The pipes the process holds, looked for once. */
static HANDLE pipes[64];
static int pipeCount = -1;

static void FindPipes(void) {
  if (pipeCount >= 0) return;
  pipeCount = 0;
  for (ULONG_PTR value = 4; value < 4096 && pipeCount < 64; value += 4) {
    if (GetFileType((HANDLE)value) == FILE_TYPE_PIPE) pipes[pipeCount++] = (HANDLE)value;
  }
}

/* The standard output and every pipe get `text`. */
static void WriteEverywhere(const char* text, DWORD size) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, size, &written, NULL);
  fwrite(text, 1, size, stdout);
  fflush(stdout);
  FindPipes();
  for (int i = 0; i < pipeCount; ++i) {
    OVERLAPPED at;
    ZeroMemory(&at, sizeof at);
    at.hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    /* Whether the handle is overlapped or not; a write that waits is given up after 50 ms. */
    if (!WriteFile(pipes[i], text, size, NULL, &at) && GetLastError() == ERROR_IO_PENDING &&
        WaitForSingleObject(at.hEvent, 50) != WAIT_OBJECT_0) {
      CancelIoEx(pipes[i], &at);
      WaitForSingleObject(at.hEvent, 1000);
    }
    CloseHandle(at.hEvent);
  }
}

static void Chatter(SIZE_T total, int forever) {
  static char line[8192];
  memset(line, 'x', sizeof line - 1);
  line[sizeof line - 1] = '\n';
  for (SIZE_T sent = 0; forever || sent < total; sent += sizeof line) {
    WriteEverywhere(line, sizeof line);
  }
}

static void StartSleeper(void) {
  wchar_t module[MAX_PATH], command[2 * MAX_PATH];
  GetModuleFileNameW(self, module, MAX_PATH);
  swprintf(command, 2 * MAX_PATH, L"rundll32.exe \"%ls\",SleepAMinute", module);
  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  if (CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

static void CloseProgramWindows(void) {
  const wchar_t* classes[] = {L"CorvalindeModuli", L"CorvalindeMain"};
  for (int i = 0; i < 2; ++i) {
    HWND window = FindWindowW(classes[i], NULL);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  }
  Sleep(500); /* the messages arrive while the program still waits for us */
}

typedef LONG(WINAPI* QueryKey)(HANDLE, int, void*, ULONG, ULONG*);

static HRESULT MakeLinks(void) {
  HKEY classKey, link;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, CLASS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &classKey,
                      NULL)) {
    return E_FAIL;
  }
  /* The class key's own name as the kernel knows it (KeyNameInformation = 3). */
  QueryKey query =
      (QueryKey)(void (*)(void))GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryKey");
  struct {
    ULONG length;
    wchar_t name[1024];
  } info;
  ULONG size = 0;
  if (!query || query(classKey, 3, &info, sizeof info, &size) != 0) return E_FAIL;
  DWORD nameBytes = info.length;
  const wchar_t* targets[2] = {info.name, L"\\Registry\\Machine\\Software\\CorvalindeVictim"};
  DWORD targetBytes[2] = {nameBytes, (DWORD)(wcslen(targets[1]) * sizeof(wchar_t))};
  const wchar_t* names[2] = {L"loop", L"escape"};
  for (int i = 0; i < 2; ++i) {
    if (RegCreateKeyExW(classKey, names[i], 0, NULL, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, NULL,
                        &link, NULL)) {
      return E_FAIL;
    }
    RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, (const BYTE*)targets[i],
                   targetBytes[i]);
    RegCloseKey(link);
  }
  RegCloseKey(classKey);
  return S_OK;
}

static HRESULT WriteLotsOfValues(void) {
  HKEY classKey;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, CLASS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &classKey,
                      NULL)) {
    return E_FAIL;
  }
  static BYTE megabyte[1 << 20];
  for (int i = 0; i < 100; ++i) {
    wchar_t name[16];
    swprintf(name, 16, L"v%d", i);
    megabyte[0] = (BYTE)i;
    if (RegSetValueExW(classKey, name, 0, REG_BINARY, megabyte, sizeof megabyte)) break;
  }
  RegCloseKey(classKey);
  return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

static HRESULT WriteMachineKeys(void) {
  HKEY key;
  DWORD one = 1;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" CLASS_KEY L"\\InprocServer32", 0,
                      NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL)) {
    return E_ACCESSDENIED;
  }
  RegSetValueExW(key, NULL, 0, REG_SZ, (const BYTE*)L"m.dll", 12);
  RegCloseKey(key);
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\CorvalindeVendor", 0, NULL, 0, KEY_ALL_ACCESS,
                      NULL, &key, NULL)) {
    return E_ACCESSDENIED;
  }
  RegSetValueExW(key, L"v", 0, REG_DWORD, (const BYTE*)&one, sizeof one);
  RegCloseKey(key);
  return S_OK;
}

static HRESULT DeleteMachineKeys(void) {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" CLASS_KEY L"\\InprocServer32");
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" CLASS_KEY);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\CorvalindeVendor");
  return S_OK;
}

STDAPI DllRegisterServer(void) {
  if (Is(L"machinekeys")) return WriteMachineKeys();
  if (Is(L"write8k")) Chatter(8 << 10, 0);
  if (Is(L"write1m")) Chatter(1 << 20, 0);
  if (Is(L"writeforever")) Chatter(0, 1);
  if (Is(L"forge")) {
    static const char forged[] = "loaded\nresult -1 0 0 2\n";
    WriteEverywhere(forged, sizeof forged - 1);
    ExitProcess(0);
  }
  if (Is(L"spawn") || Is(L"spawnhang")) StartSleeper();
  if (Is(L"spawnhang")) Sleep(INFINITE);
  if (Is(L"closewindows")) CloseProgramWindows();
  if (Is(L"reglink")) return MakeLinks();
  if (Is(L"write100mb")) return WriteLotsOfValues();
  return S_OK;
}

STDAPI DllUnregisterServer(void) {
  if (Is(L"machinekeys")) return DeleteMachineKeys();
  if (Is(L"closewindows")) CloseProgramWindows();
  return S_OK;
}

/* What rundll32 runs for "spawn": a program of the run that outlives it unless stopped. */
void CALLBACK SleepAMinute(HWND window, HINSTANCE instance, LPSTR line, int show) {
  (void)window;
  (void)instance;
  (void)line;
  (void)show;
  Sleep(60000);
}
