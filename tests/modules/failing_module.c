/* A module that refuses, the way an unelevated registration under HKEY_LOCAL_MACHINE does. */
#include "test_module.h"

STDAPI DllRegisterServer(void) {
  AppendMarker("register refused");
  return E_ACCESSDENIED;
}

STDAPI DllUnregisterServer(void) {
  AppendMarker("unregister refused");
  return E_ACCESSDENIED;
}
