/* A server with DllInstall, as regsvr32 /i calls it: each call leaves a marker line, with the
 * command-line text it was given; the text "fallisci" makes DllInstall fail. */
#include "test_module.h"

#include <string.h>
#include <wchar.h>

STDAPI DllRegisterServer(void) {
  AppendMarker("register");
  return S_OK;
}

STDAPI DllUnregisterServer(void) {
  AppendMarker("unregister");
  return S_OK;
}

#ifdef _WIN32
STDAPI DllInstall(BOOL install, PCWSTR commandLine)
#else
STDAPI DllInstall(int install, const wchar_t* commandLine)
#endif
{
  char line[128];
  size_t used = (size_t)snprintf(line, sizeof line, "%s %s", install ? "install" : "uninstall",
                                 commandLine ? "[" : "(null)");
  for (const wchar_t* c = commandLine; c && *c && used + 2 < sizeof line; ++c) {
    line[used++] = *c < 128 ? (char)*c : '?';
  }
  if (commandLine && used + 1 < sizeof line) line[used++] = ']';
  line[used] = '\0';
  AppendMarker(line);
  if (commandLine && wcscmp(commandLine, L"fallisci") == 0) return (HRESULT)0x80004005;
  return S_OK;
}
