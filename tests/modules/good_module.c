/* A well-behaved COM server: registering writes a real class registration (a ProgID, its
 * version-independent one and its CLSID with an in-process server), unregistering removes it.
 * Like many real modules it needs COM on the calling thread, and refuses with
 * CO_E_NOTINITIALIZED without it. */
#include "test_module.h"

#ifdef _WIN32
static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

#define PROG_ID L"Corvalinde.TestModule"
#define VERSIONED_PROG_ID PROG_ID L".1"
#define CLASS_ID L"{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}"
#define CLASS_KEY L"CLSID\\" CLASS_ID

static int SetDefault(const wchar_t* key, const wchar_t* name, const wchar_t* data) {
  HKEY handle;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL))
    return 0;
  LONG status = RegSetValueExW(handle, name, 0, REG_SZ, (const BYTE*)data,
                               (DWORD)((wcslen(data) + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

static int ComIsInitialised(void) {
  HRESULT hr = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  if (hr == RPC_E_CHANGED_MODE) return 1; /* initialised, as a multi-threaded apartment */
  CoUninitialize();                       /* balances our own S_OK or S_FALSE */
  return hr == S_FALSE;
}

/* The class itself: an object with nothing but IUnknown, made by a factory that lives as long
 * as the module. Enough for a client to create it through the registry or a manifest. */
static ULONG STDMETHODCALLTYPE StaticAddRef(IUnknown* self) {
  (void)self;
  return 2;
}
static ULONG STDMETHODCALLTYPE StaticRelease(IUnknown* self) {
  (void)self;
  return 1;
}
static HRESULT STDMETHODCALLTYPE ObjectQueryInterface(IUnknown* self, REFIID iid, void** out) {
  if (!IsEqualIID(iid, &IID_IUnknown)) {
    *out = NULL;
    return E_NOINTERFACE;
  }
  *out = self;
  return S_OK;
}
static IUnknownVtbl objectMethods = {ObjectQueryInterface, StaticAddRef, StaticRelease};
static IUnknown object = {&objectMethods};

static HRESULT STDMETHODCALLTYPE FactoryQueryInterface(IClassFactory* self, REFIID iid,
                                                       void** out) {
  if (!IsEqualIID(iid, &IID_IUnknown) && !IsEqualIID(iid, &IID_IClassFactory)) {
    *out = NULL;
    return E_NOINTERFACE;
  }
  *out = self;
  return S_OK;
}
static ULONG STDMETHODCALLTYPE FactoryAddRef(IClassFactory* self) {
  (void)self;
  return 2;
}
static ULONG STDMETHODCALLTYPE FactoryRelease(IClassFactory* self) {
  (void)self;
  return 1;
}
static HRESULT STDMETHODCALLTYPE CreateInstance(IClassFactory* self, IUnknown* outer, REFIID iid,
                                                void** out) {
  (void)self;
  if (outer) return CLASS_E_NOAGGREGATION;
  return ObjectQueryInterface(&object, iid, out);
}
static HRESULT STDMETHODCALLTYPE LockServer(IClassFactory* self, BOOL lock) {
  (void)self, (void)lock;
  return S_OK;
}
static IClassFactoryVtbl factoryMethods = {FactoryQueryInterface, FactoryAddRef, FactoryRelease,
                                           CreateInstance, LockServer};
static IClassFactory factory = {&factoryMethods};

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  static const CLSID kClass = {
      0xC0A1D2E3, 0x5A6B, 0x4C7D, {0x8E, 0x9F, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB}};
  if (!IsEqualCLSID(clsid, &kClass)) {
    *out = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return FactoryQueryInterface(&factory, iid, out);
}

STDAPI DllRegisterServer(void) {
  if (!ComIsInitialised()) return CO_E_NOTINITIALIZED;
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(self, path, MAX_PATH);
  int ok = SetDefault(VERSIONED_PROG_ID, NULL, L"Corvalinde test module") &&
           SetDefault(VERSIONED_PROG_ID L"\\CLSID", NULL, CLASS_ID) &&
           SetDefault(PROG_ID, NULL, L"Corvalinde test module") &&
           SetDefault(PROG_ID L"\\CLSID", NULL, CLASS_ID) &&
           SetDefault(PROG_ID L"\\CurVer", NULL, VERSIONED_PROG_ID) &&
           SetDefault(CLASS_KEY, NULL, L"Corvalinde test module") &&
           SetDefault(CLASS_KEY L"\\InProcServer32", NULL, path) &&
           SetDefault(CLASS_KEY L"\\InProcServer32", L"ThreadingModel", L"Apartment") &&
           SetDefault(CLASS_KEY L"\\ProgID", NULL, VERSIONED_PROG_ID) &&
           SetDefault(CLASS_KEY L"\\VersionIndependentProgID", NULL, PROG_ID) &&
           SetDefault(CLASS_KEY L"\\Version", NULL, L"1.0");
  if (!ok) return (HRESULT)0x80040201; /* SELFREG_E_CLASS */
  AppendMarker("register");
  return S_OK;
}

STDAPI DllUnregisterServer(void) {
  if (!ComIsInitialised()) return CO_E_NOTINITIALIZED;
  LONG progId = RegDeleteTreeW(HKEY_CLASSES_ROOT, PROG_ID);
  LONG versioned = RegDeleteTreeW(HKEY_CLASSES_ROOT, VERSIONED_PROG_ID);
  LONG classId = RegDeleteTreeW(HKEY_CLASSES_ROOT, CLASS_KEY);
  AppendMarker("unregister");
  /* Nothing was registered: done, but say so, as S_FALSE. */
  return progId == ERROR_FILE_NOT_FOUND && versioned == ERROR_FILE_NOT_FOUND &&
                 classId == ERROR_FILE_NOT_FOUND
             ? S_FALSE
             : S_OK;
}
#else
STDAPI DllRegisterServer(void) {
  AppendMarker("register");
  return S_OK;
}

STDAPI DllUnregisterServer(void) {
  AppendMarker("unregister");
  return S_OK;
}
#endif
