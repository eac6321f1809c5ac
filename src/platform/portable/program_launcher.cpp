#include "platform/program_launcher.h"

#include <sys/wait.h>

#include <cstdlib>

#include "platform/portable/utf8.h"

namespace corvalinde::platform {
namespace {

class ShellProgramLauncher final : public ProgramLauncher {
 public:
  std::optional<std::uint32_t> RunAndWait(const std::wstring& program,
                                          const std::wstring& arguments) override {
    std::string command =
        "'" + portable::WideToUtf8(program) + "' " + portable::WideToUtf8(arguments);
    int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127) return std::nullopt;
    return static_cast<std::uint32_t>(WEXITSTATUS(status));
  }
};

}  // namespace

std::unique_ptr<ProgramLauncher> MakeSystemProgramLauncher() {
  return std::make_unique<ShellProgramLauncher>();
}

}  // namespace corvalinde::platform
