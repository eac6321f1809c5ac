// Plain text for whoever started the program from a console or a script. The program is a
// windowed one: it writes to the standard output it was given (a pipe or a file, as UTF-8),
// else to the console of the process that started it, when there is one; else nowhere.
#pragma once

#include <string>

namespace corvalinde::platform {

class ConsoleOutput {
 public:
  virtual ~ConsoleOutput() = default;
  virtual void Write(const std::wstring& text) = 0;
};

class SystemConsole final : public ConsoleOutput {
 public:
  void Write(const std::wstring& text) override;
};

}  // namespace corvalinde::platform
