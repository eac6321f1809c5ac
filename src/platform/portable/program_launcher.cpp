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
    // Built piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on a chained "+".
    std::string command = "'";
    command += portable::WideToUtf8(program);
    command += "' ";
    command += portable::WideToUtf8(arguments);
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
