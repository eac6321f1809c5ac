/* A COM client: with the manifest given activated first ("-": none), creates the class given (a
 * CLSID, or a ProgID as CLSIDFromProgID finds it) in process, or, given a version too, loads the
 * type library given (a LIBID) as a registered one; it ends with CoCreateInstance's or
 * LoadRegTypeLib's HRESULT as its exit code. */
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 5) return 1;
  ULONG_PTR cookie = 0;
  if (wcscmp(argv[1], L"-") != 0) {
    ACTCTXW context;
    ZeroMemory(&context, sizeof context);
    context.cbSize = sizeof context;
    context.lpSource = argv[1];
    HANDLE activation = CreateActCtxW(&context);
    if (activation == INVALID_HANDLE_VALUE) return (int)HRESULT_FROM_WIN32(GetLastError());
    if (!ActivateActCtx(activation, &cookie)) return (int)HRESULT_FROM_WIN32(GetLastError());
  }
  CLSID clsid;
  HRESULT status =
      argv[2][0] == L'{' ? CLSIDFromString(argv[2], &clsid) : CLSIDFromProgID(argv[2], &clsid);
  if (FAILED(status)) return (int)status;
  if (argc == 5) {
    ITypeLib* library = NULL;
    status = LoadRegTypeLib(&clsid, (WORD)_wtoi(argv[3]), (WORD)_wtoi(argv[4]), 0, &library);
    if (library) library->lpVtbl->Release(library);
    return (int)status;
  }
  CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  IUnknown* object = NULL;
  status = CoCreateInstance(&clsid, NULL, CLSCTX_INPROC_SERVER, &IID_IUnknown, (void**)&object);
  if (object) object->lpVtbl->Release(object);
  CoUninitialize();
  return (int)status;
}
