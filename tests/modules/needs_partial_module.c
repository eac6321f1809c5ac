/* A COM server that imports a function its dependency, as installed, does not export: Windows
 * refuses to load it (127); Wine loads it and crashes when the function is called. */
#include "test_module.h"

__declspec(dllimport) int CorvalindePartialMissing(void);

STDAPI DllRegisterServer(void) {
  return CorvalindePartialMissing() == 2 ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer(void) {
  return S_OK;
}
