/* A COM server whose dependency, as installed beside it, is built for another processor. */
#include "test_module.h"

__declspec(dllimport) int CorvalindeArchFunction(void);

STDAPI DllRegisterServer(void) {
  return CorvalindeArchFunction() == 3 ? S_OK : E_FAIL;
}

STDAPI DllUnregisterServer(void) {
  return S_OK;
}
