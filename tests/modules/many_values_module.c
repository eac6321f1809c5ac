/* A COM server with a large registration, for the capture's benchmark: one class whose key
 * holds 5,000 values (a hundred keys of fifty). Unregistering removes the class. */
#include <stdio.h>
#include <windows.h>
#include <olectl.h>

#define CLASS_KEY L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AD}"

STDAPI DllRegisterServer(void) {
  for (int k = 0; k < 100; ++k) {
    wchar_t path[96];
    swprintf(path, 96, CLASS_KEY L"\\Parte%03d", k);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL))
      return SELFREG_E_CLASS;
    for (int v = 0; v < 50; ++v) {
      wchar_t name[16], data[64];
      swprintf(name, 16, L"Valore%02d", v);
      swprintf(data, 64, L"Dato %d della parte %d", v, k);
      RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)data,
                     (DWORD)((wcslen(data) + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
  }
  return S_OK;
}

STDAPI DllUnregisterServer(void) {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, CLASS_KEY);
  return S_OK;
}
