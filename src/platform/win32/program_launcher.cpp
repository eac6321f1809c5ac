#include "platform/program_launcher.h"

#include <windows.h>

#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

class Win32ProgramLauncher final : public ProgramLauncher {
 public:
  std::optional<std::uint32_t> RunAndWait(const std::wstring& program,
                                          const std::wstring& arguments) override {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
      return std::nullopt;
    }
    win32::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return code;
  }
};

}  // namespace

std::unique_ptr<ProgramLauncher> MakeSystemProgramLauncher() {
  return std::make_unique<Win32ProgramLauncher>();
}

}  // namespace corvalinde::platform
