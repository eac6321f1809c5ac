/* A module that refuses its first registration as a standard user's would be refused
 * (E_ACCESSDENIED), and accepts the next one, as it would with administrator rights. Its
 * memory of the first refusal is a file beside the marker (CORVALINDE_TEST_MARKER). */
#include "test_module.h"

static HRESULT RefuseOnce(void) {
  const char* marker = getenv("CORVALINDE_TEST_MARKER");
  if (!marker || !*marker) return E_ACCESSDENIED;
  char path[1024];
  snprintf(path, sizeof path, "%s.refused", marker);
  FILE* memory = fopen(path, "r");
  if (memory) {
    fclose(memory);
    AppendMarker("register");
    return S_OK;
  }
  memory = fopen(path, "w");
  if (memory) fclose(memory);
  AppendMarker("register refused");
  return E_ACCESSDENIED;
}

STDAPI DllRegisterServer(void) {
  return RefuseOnce();
}

STDAPI DllUnregisterServer(void) {
  return RefuseOnce();
}
