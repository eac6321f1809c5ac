// A silent registration from a script, beside regsvr32's: "Corvalinde.exe /s <module>" and
// "regsvr32 /s <module>" run as processes, one after the other, on ten of the system's own COM
// servers; then fifty modules in one silent run beside fifty regsvr32 runs. Both sides' figures
// and their ratios are printed; run pinned to one core beside Wine's server (scripts/bench).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const wchar_t* kModules[] = {L"scrrun.dll", L"vbscript.dll", L"jscript.dll", L"itss.dll",
                                       L"hhctrl.ocx", L"quartz.dll",   L"wshom.ocx",   L"mlang.dll",
                                       L"dispex.dll", L"hnetcfg.dll"};
constexpr int kRounds = 5;

std::wstring Regsvr32() {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\regsvr32.exe";
}

// Milliseconds from the start of the program to its end; its exit code in `code`.
double Run(const std::wstring& program, const std::wstring& arguments, DWORD& code) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  // What they print goes nowhere: both write their words only to a given output.
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE nowhere =
      CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere;
  PROCESS_INFORMATION process{};
  auto start = Clock::now();
  BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  CloseHandle(nowhere);
  if (!started) {
    code = GetLastError();
    return 0;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return elapsed;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

// The program measured is the one given (the release build: what users run, without the
// debug information that makes a test build's start slower), else the one beside this.
int wmain(int argc, wchar_t** argv) {
  // A window of ours for the whole run keeps Wine's desktop process alive between the runs, as
  // a user's session does, so that neither side pays for starting it.
  HWND keeper =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  const std::wstring corvalinde = argc > 1 ? argv[1] : corvalinde::e2e::ProgramPath();
  const std::wstring regsvr32 = Regsvr32();
  std::printf("%ls\n", corvalinde.c_str());
  bool agreed = true;
  DWORD code = 0, peerCode = 0;
  Run(corvalinde, L"/s scrrun.dll", code);  // warm-up: the files in the cache
  Run(regsvr32, L"/s scrrun.dll", peerCode);

  std::vector<double> ratios;
  std::printf("%-14s %12s %12s %7s  (medians of %d, ms)\n", "module", "Corvalinde", "regsvr32",
              "ratio", kRounds);
  for (const wchar_t* module : kModules) {
    std::vector<double> ours, theirs;
    for (int round = 0; round < kRounds; ++round) {
      ours.push_back(Run(corvalinde, std::wstring(L"/s ") + module, code));
      theirs.push_back(Run(regsvr32, std::wstring(L"/s ") + module, peerCode));
      if (code != peerCode) {
        std::printf("%ls: exit code %lu, regsvr32's %lu\n", module, code, peerCode);
        agreed = false;
      }
    }
    double ratio = Median(ours) / Median(theirs);
    ratios.push_back(ratio);
    std::printf("%-14ls %12.1f %12.1f %7.2f\n", module, Median(ours), Median(theirs), ratio);
  }
  std::printf("one silent registration: median ratio %.2f (target: 1.5 or less)\n", Median(ratios));

  std::wstring fifty;
  for (int i = 0; i < 5; ++i) {
    for (const wchar_t* module : kModules) fifty += std::wstring(L" ") + module;
  }
  double oneRun = Run(corvalinde, L"/s" + fifty, code);
  if (code != 0) {
    std::printf("50 modules: exit code %lu\n", code);
    agreed = false;
  }
  double fiftyRuns = 0;
  for (int i = 0; i < 5; ++i) {
    for (const wchar_t* module : kModules) {
      fiftyRuns += Run(regsvr32, std::wstring(L"/s ") + module, peerCode);
      if (peerCode != 0) {
        std::printf("%ls: regsvr32's exit code %lu\n", module, peerCode);
        agreed = false;
      }
    }
  }
  std::printf(
      "50 modules: one Corvalinde /s run %.0f ms, 50 regsvr32 /s runs %.0f ms, ratio %.2f "
      "(target: 1.2 or less)\n",
      oneRun, fiftyRuns, oneRun / fiftyRuns);
  std::printf("exit codes %s\n", agreed ? "the same on both sides" : "DIFFER");
  DestroyWindow(keeper);
  return agreed ? 0 : 1;
}
