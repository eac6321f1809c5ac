/* A COM client: creates the class given (a CLSID) in process, with the manifest given activated
 * first ("-": none), and ends with CoCreateInstance's HRESULT as its exit code. */
#include <windows.h>
#include <objbase.h>

#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 1;
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
  HRESULT status = CLSIDFromString(argv[2], &clsid);
  if (FAILED(status)) return (int)status;
  CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  IUnknown* object = NULL;
  status = CoCreateInstance(&clsid, NULL, CLSCTX_INPROC_SERVER, &IID_IUnknown, (void**)&object);
  if (object) object->lpVtbl->Release(object);
  CoUninitialize();
  return (int)status;
}
