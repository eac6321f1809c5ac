/* A control as installers meet it: its class, the keys without values that make it a control,
 * and a setting of the machine's (a shared folder, as suites keep) written beside. Unregistering
 * removes the class and leaves the setting, which is not the module's alone. */
#include <windows.h>
#include <olectl.h>

#define CLASS_KEY L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AC}"
#define CONTROLS_CATEGORY L"{40FC6ED4-2438-11CF-A3DB-080036F12502}"

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

static int Write(HKEY root, const wchar_t* key, const wchar_t* name, const wchar_t* data) {
  HKEY handle;
  if (RegCreateKeyExW(root, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL)) return 0;
  LONG status = data ? RegSetValueExW(handle, name, 0, REG_SZ, (const BYTE*)data,
                                      (DWORD)((wcslen(data) + 1) * sizeof(wchar_t)))
                     : ERROR_SUCCESS;
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

STDAPI DllRegisterServer(void) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(self, path, MAX_PATH);
  int ok =
      Write(HKEY_CLASSES_ROOT, CLASS_KEY, NULL, L"Corvalinde test control") &&
      Write(HKEY_CLASSES_ROOT, CLASS_KEY L"\\InProcServer32", NULL, path) &&
      Write(HKEY_CLASSES_ROOT, CLASS_KEY L"\\InProcServer32", L"ThreadingModel", L"Apartment") &&
      Write(HKEY_CLASSES_ROOT, CLASS_KEY L"\\Control", NULL, NULL) &&
      Write(HKEY_CLASSES_ROOT, CLASS_KEY L"\\Implemented Categories\\" CONTROLS_CATEGORY, NULL,
            NULL) &&
      Write(HKEY_LOCAL_MACHINE, L"Software\\Corvalinde Test\\Condiviso", L"Cartella",
            L"C:\\Condivisa");
  return ok ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer(void) {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, CLASS_KEY);
  return S_OK;
}
