/* A module whose entry points block far past the registration time limit. */
#include "test_module.h"

#ifndef _WIN32
#include <unistd.h>
#endif

static void BlockForAMinute(void) {
#ifdef _WIN32
  Sleep(60000);
#else
  sleep(60);
#endif
}

STDAPI DllRegisterServer(void) {
  AppendMarker("register started");
  BlockForAMinute();
  return S_OK;
}

STDAPI DllUnregisterServer(void) {
  AppendMarker("unregister started");
  BlockForAMinute();
  return S_OK;
}
