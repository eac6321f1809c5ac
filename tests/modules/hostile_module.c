/* Modules that misbehave the ways real ones do, one way per build (HOSTILE_* names it): they
 * write through a null pointer, raise an exception, overflow their stack or end the process
 * in DllRegisterServer, or sleep or crash while being loaded. Windows only: they would take
 * a native test run down with them. */
#include "test_module.h"

static volatile int* volatile nowhere;

#if defined(HOSTILE_STACK_OVERFLOW)
/* Endless unless the stack ends it: the compiler cannot prove `limit` is never reached. */
static volatile int limit = -1;
static int Recurse(int depth) {
  volatile char frame[4096];
  frame[0] = (char)depth;
  if (depth == limit) return 0;
  return Recurse(depth + 1) + frame[0];
}
#endif

static HRESULT Misbehave(void) {
#if defined(HOSTILE_NULL_WRITE)
  *nowhere = 1;
#elif defined(HOSTILE_RAISE)
  RaiseException(0xE0001234, 0, 0, NULL);
#elif defined(HOSTILE_STACK_OVERFLOW)
  return (HRESULT)Recurse(0);
#elif defined(HOSTILE_EXIT_PROCESS)
  ExitProcess(7);
#endif
  return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
#if defined(HOSTILE_DLLMAIN_SLEEP)
  Sleep(30000);
#elif defined(HOSTILE_DLLMAIN_CRASH)
  *nowhere = 1;
#endif
  return TRUE;
}

STDAPI DllRegisterServer(void) {
  return Misbehave();
}

STDAPI DllUnregisterServer(void) {
  return Misbehave();
}
