// What isolation costs: the same registration of the sample module run in this process and
// through a host process, side by side in one run (Windows only: the host is Corvalinde.exe).
// And what a capture costs beside the registration it captures.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/command_line_args.h"
#include "platform/host_launcher.h"
#include "platform/module_loader.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "registration/capture_to_file.h"
#include "registration/verification.h"
#include "registration/host_registrar.h"
#include "registry/reg_file.h"

namespace {

using namespace corvalinde;
using Clock = std::chrono::steady_clock;

std::wstring Folder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

// The median of `rounds` register-and-unregister pairs, in milliseconds per registration.
double Median(Registrar& registrar, const std::wstring& module, int rounds, bool& allDone) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    for (Action action : {Action::Register, Action::Unregister}) {
      auto start = Clock::now();
      allDone =
          registrar.Run(module, action, RegistrationScope::Machine).outcome == RegDone && allDone;
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

template <typename Work>
double MedianOf(int rounds, Work work) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A module that writes 5,000 values: registered through a host, captured through a host, and
// the same keys written to a .reg file alone.
bool CaptureFigures(Registrar& hosted) {
  const std::wstring module = Folder() + L"\\testmod_many_values.dll";
  const std::wstring classKey = L"CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AD}";
  const std::wstring regFile = Folder() + L"\\capture_bench.reg";
  auto registry = platform::MakeSystemRegistry();
  bool allDone = true;
  double registration = MedianOf(7, [&] {
    allDone = hosted.Run(module, Action::Register, RegistrationScope::Machine).outcome == RegDone &&
              allDone;
  });
  std::size_t values = 0;
  double writing = MedianOf(7, [&] {
    RegFileText text = WriteRegFile(
        *registry, {{platform::kHkeyClassesRoot, classKey, L"HKEY_CLASSES_ROOT\\" + classKey}});
    values = text.values;
    platform::ReplaceFileContent(regFile, RegFileBytes(text.text));
  });
  hosted.Run(module, Action::Unregister, RegistrationScope::Machine);
  double capture = MedianOf(7, [&] {
    allDone = CaptureToFile(hosted, *registry, module, regFile).registration.outcome == RegDone &&
              allDone;
  });
  DeleteFileW(regFile.c_str());
  // Verified while registered, so that every key and value is compared.
  hosted.Run(module, Action::Register, RegistrationScope::Machine);
  double verification = MedianOf(7, [&] {
    allDone =
        VerifyModule(hosted, *registry, module, RegistrationScope::Machine).registration.outcome ==
            RegDone &&
        allDone;
  });
  hosted.Run(module, Action::Unregister, RegistrationScope::Machine);
  std::printf(
      "module writing %zu values: registration %.1f ms, capture %.1f ms, writing the file "
      "alone %.1f ms, verification %.1f ms (medians of 7)\n",
      values, registration, capture, writing, verification);
  std::printf("(capture - writing the file) / registration: %.2f (target: 2 or less)\n",
              (capture - writing) / registration);
  std::printf("verification / capture: %.2f (target: 1.2 or less)\n", verification / capture);
  return allDone;
}

}  // namespace

int main() {
  std::wstring module = Folder() + L"\\testmod_good.dll";
  auto loader = platform::MakeSystemModuleLoader();
  auto launcher = platform::MakeSystemHostLauncher();
  InProcessRegistrar inProcess(*loader);
  HostRegistrar hosted(*launcher, Folder() + L"\\Corvalinde.exe");
  bool allDone = true;
  Median(hosted, module, 2, allDone);  // warm-up: the first start loads the program's DLLs
  double local = Median(inProcess, module, 10, allDone);
  double host = Median(hosted, module, 10, allDone);
  std::printf("registration in process: %.1f ms (median of 20)\n", local);
  std::printf("registration through a host process: %.1f ms (median of 20)\n", host);
  std::printf("host - in process: %.1f ms (target: 150 ms or less); host / in process: %.1f\n",
              host - local, host / local);

  // What a registration that needs neither /user nor elevation now does beyond that: read the
  // switch, ask the token once.
  constexpr int kTimes = 1000;
  auto start = Clock::now();
  int answers = 0;  // used below, so the loop is not optimised away
  for (int i = 0; i < kTimes; ++i) {
    answers += GetUserArg(L"/filename C:\\moduli\\un modulo.dll /modal R /visible 0") +
               platform::ProcessIsElevated();
  }
  double extra = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kTimes;
  std::printf("per-user and elevation checks of one run: %.4f ms (target: under 1 ms; %d)\n", extra,
              answers);
  allDone = CaptureFigures(hosted) && allDone;
  return allDone ? 0 : 1;
}
