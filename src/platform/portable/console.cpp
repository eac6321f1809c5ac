#include "platform/console.h"

#include <cstdio>

#include "platform/utf8.h"

namespace corvalinde::platform {

void SystemConsole::Write(const std::wstring& text) {
  std::string bytes = Utf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace corvalinde::platform
