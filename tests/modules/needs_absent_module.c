/* A COM server that imports a function from corvalinde_absent.dll, which is not there at run
 * time: loading it fails with "module not found" before any of its code runs. */
#include "test_module.h"

__declspec(dllimport) int CorvalindeAbsentFunction(void);

STDAPI DllRegisterServer(void) { return CorvalindeAbsentFunction() == 7 ? S_OK : E_FAIL; }

STDAPI DllUnregisterServer(void) { return S_OK; }
