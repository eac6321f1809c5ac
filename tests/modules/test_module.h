/* What the test modules share: the COM entry-point signature on every platform, and the marker
 * file that tells a test which entry points ran (named by CORVALINDE_TEST_MARKER). */
#ifndef CORVALINDE_TEST_MODULE_H
#define CORVALINDE_TEST_MODULE_H

#include <stdio.h>
#include <stdlib.h>

#ifdef _WIN32
#include <windows.h>
#include <objbase.h>
#define MODULE_EXPORT
#else
#include <stdint.h>
typedef int32_t HRESULT;
#define STDAPI __attribute__((visibility("default"))) HRESULT
#define MODULE_EXPORT __attribute__((visibility("default")))
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_ACCESSDENIED ((HRESULT)0x80070005)
#endif

static inline void AppendMarker(const char* line) {
  const char* path = getenv("CORVALINDE_TEST_MARKER");
  if (!path || !*path) return;
  FILE* file = fopen(path, "a");
  if (!file) return;
  fputs(line, file);
  fputs("\n", file);
  fclose(file);
}

#endif
