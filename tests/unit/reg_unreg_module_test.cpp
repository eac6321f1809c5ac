#include "registration/reg_unreg_module.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line_run.h"
#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvalinde {
namespace {

using std::chrono::milliseconds;
using testing::IsModuleLoaded;
using testing::MarkerFile;
using testing::TestModulePath;
using Lines = std::vector<std::string>;

class RegistrationEngine : public ::testing::Test {
 protected:
  RegistrationResult Run(const std::string& module, Action action,
                         milliseconds limit = kRegistrationTimeLimit) {
    return RegUnregModule(TestModulePath(module), action, *loader_, limit);
  }
  MarkerFile marker_;
  std::unique_ptr<platform::ModuleLoader> loader_ = platform::MakeSystemModuleLoader();
};

TEST_F(RegistrationEngine, TheActionChoosesTheEntryPoint) {
  EXPECT_EQ(Run("testmod_good", Action::Register).outcome, RegDone);
  EXPECT_EQ(Run("testmod_good", Action::Register).outcome, RegDone);
  EXPECT_EQ(Run("testmod_good", Action::Unregister).outcome, RegDone);
  // Each call runs its entry point again.
  EXPECT_EQ(marker_.Lines(), (Lines{"register", "register", "unregister"}));
  EXPECT_FALSE(IsModuleLoaded(TestModulePath("testmod_good")));
}

TEST_F(RegistrationEngine, MissingOrInvalidModulesCannotLoad) {
  RegistrationResult missing = Run("testmod_does_not_exist", Action::Register);
  EXPECT_EQ(missing.outcome, RegModuleInvalid);
  EXPECT_NE(missing.loadError, 0u);
  EXPECT_EQ(Run("testmod_text", Action::Register).outcome, RegModuleInvalid);
}

TEST_F(RegistrationEngine, ALibraryWithoutTheExportIsReleasedAgain) {
  EXPECT_EQ(Run("testmod_noexports", Action::Register).outcome, RegEntryMissing);
  EXPECT_EQ(Run("testmod_noexports", Action::Unregister).outcome, RegEntryMissing);
  EXPECT_FALSE(IsModuleLoaded(TestModulePath("testmod_noexports")));
}

TEST_F(RegistrationEngine, AFailureHResultIsNotASuccess) {
  RegistrationResult result = Run("testmod_failing", Action::Register);
  EXPECT_EQ(result.outcome, RegEntryFailed);
  EXPECT_EQ(static_cast<std::uint32_t>(result.entryStatus), 0x80070005u);
  EXPECT_EQ(marker_.Lines(), (Lines{"register refused"}));
}

TEST_F(RegistrationEngine, AHangingModuleTimesOutAndStaysLoaded) {
  auto started = std::chrono::steady_clock::now();
  RegistrationResult result = Run("testmod_hanging", Action::Register, milliseconds(300));
  auto waited = std::chrono::steady_clock::now() - started;
  EXPECT_EQ(result.outcome, RegTimeout);
  EXPECT_GE(waited, milliseconds(290));
  // Its worker is still inside the module, so the module must not have been unloaded.
  EXPECT_TRUE(IsModuleLoaded(TestModulePath("testmod_hanging")));
  EXPECT_EQ(marker_.Lines(), (Lines{"register started"}));
}

#ifdef _WIN32
TEST_F(RegistrationEngine, TheEntryPointRunsWithComInitialised) {
  // The good module answers CO_E_NOTINITIALIZED on a thread without COM.
  RegistrationResult result = Run("testmod_good", Action::Register);
  EXPECT_EQ(result.outcome, RegDone) << std::hex << result.entryStatus;
  Run("testmod_good", Action::Unregister);
}

TEST_F(RegistrationEngine, APathTheAnsiCodePageCannotSpellStillLoads) {
  std::wstring folder = TestModulePath("testmod_good");
  folder.resize(folder.find_last_of(L'\\'));
  std::wstring unusual = folder + L"\\modulo \u4e2d\u0416.dll";
  ASSERT_TRUE(CopyFileW(TestModulePath("testmod_good").c_str(), unusual.c_str(), FALSE));
  RegistrationResult result = RegUnregModule(unusual, Action::Register, *loader_);
  EXPECT_EQ(result.outcome, RegDone);
  RegUnregModule(unusual, Action::Unregister, *loader_);
  DeleteFileW(unusual.c_str());
}
#endif

// A loader of pretend modules whose workers end as the test says: the engine's contract,
// checked without loading anything. It records what was loaded, the limit the worker was
// given, and the order of releases.
class FakeLoader final : public platform::ModuleLoader {
 public:
  struct Module final : platform::LoadedModule {
    explicit Module(std::vector<std::string>& log) : log(log) {}
    ~Module() override { log.push_back("module released"); }
    platform::EntryPoint Find(const char*) const override { return {reinterpret_cast<void*>(1)}; }
    std::vector<std::string>& log;
  };
  struct Worker final : platform::Worker {
    Worker(FakeLoader& loader) : loader(loader) {}
    platform::WaitResult WaitFor(milliseconds limit) override {
      loader.limit = limit;
      return loader.waitResult;
    }
    std::int32_t ExitStatus() const override { return loader.exitStatus; }
    FakeLoader& loader;
  };
  std::unique_ptr<platform::LoadedModule> Load(const std::wstring& path, std::uint32_t&) override {
    loaded.push_back(path);
    return std::make_unique<Module>(log);
  }
  std::unique_ptr<platform::Worker> StartWorker(
      platform::EntryPoint, const std::optional<platform::InstallArguments>&) override {
    if (!threads) return nullptr;
    return std::make_unique<Worker>(*this);
  }
  void Abandon(std::unique_ptr<platform::LoadedModule> module,
               std::unique_ptr<platform::Worker>) override {
    log.push_back("abandoned");
    abandoned.push_back(std::move(module));  // never released while its worker may run
  }
  std::unique_ptr<platform::LoadedModule> LoadTypeLibrary(const std::wstring& path, bool forUser,
                                                          std::uint32_t&) override {
    loaded.push_back(path + (forUser ? L" (type library, user)" : L" (type library)"));
    return std::make_unique<Module>(log);
  }
  std::unique_ptr<platform::Worker> StartProgram(const std::wstring& path,
                                                 const std::wstring& arguments,
                                                 std::uint32_t&) override {
    loaded.push_back(path + L" " + arguments);
    return std::make_unique<Worker>(*this);
  }

  bool threads = true;
  std::int32_t exitStatus = 0;
  platform::WaitResult waitResult = platform::WaitResult::Ended;
  milliseconds limit{0};
  std::vector<std::wstring> loaded;
  std::vector<std::string> log;
  std::vector<std::unique_ptr<platform::LoadedModule>> abandoned;
};

TEST(RegistrationEngineContract, NoThreadMeansEntryPointMissingAndTheModuleIsReleased) {
  FakeLoader loader;
  loader.threads = false;
  EXPECT_EQ(RegUnregModule(L"a.dll", Action::Register, loader).outcome, RegEntryMissing);
  EXPECT_EQ(loader.log, (Lines{"module released"}));
}

TEST(RegistrationEngineContract, SFalseIsSuccessAndTheTenSecondLimitReachesTheWorker) {
  FakeLoader loader;
  loader.exitStatus = 1;  // S_FALSE
  RegistrationResult result = RegUnregModule(L"a.dll", Action::Register, loader);
  EXPECT_EQ(result.outcome, RegDone);
  EXPECT_EQ(result.entryStatus, 1);
  EXPECT_EQ(loader.limit, milliseconds(10000));
}

TEST(RegistrationEngineContract, ATimeOutIsExitCodeSixAndTheModuleStaysLoaded) {
  FakeLoader loader;
  loader.waitResult = platform::WaitResult::TimedOut;
  RegistrationResult result = RegUnregModule(L"a.dll", Action::Unregister, loader);
  EXPECT_EQ(result.outcome, RegTimeout);
  EXPECT_EQ(ExitCodeFor(result.outcome), 6);
  EXPECT_EQ(loader.log, (Lines{"abandoned"}));
}

// A type library is read by the loader, a server program run with its switch; a program that
// does not end in time is not kept, its exit code is not an HRESULT, and it has no DllInstall.
TEST(RegistrationEngineContract, TypeLibrariesAndServerProgramsTakeTheirOwnWays) {
  FakeLoader loader;
  EXPECT_EQ(RegUnregModule(L"a.TLB", Action::Register, loader).outcome, RegDone);
  EXPECT_EQ(
      RegUnregModuleInScope(L"b.olb", Action::Unregister, RegistrationScope::User, loader).outcome,
      RegDone);
  EXPECT_EQ(RegUnregModule(L"c.exe", Action::Unregister, loader).outcome, RegDone);
  EXPECT_EQ(
      RegUnregModuleInScope(L"d.exe", Action::Register, RegistrationScope::User, loader).outcome,
      RegDone);
  EXPECT_EQ(loader.loaded,
            (std::vector<std::wstring>{L"a.TLB (type library)", L"b.olb (type library, user)",
                                       L"c.exe /UnregServer", L"d.exe /RegServerPerUser"}));

  loader.exitStatus = 3;
  RegistrationResult failed = RegUnregModule(L"c.exe", Action::Register, loader);
  EXPECT_EQ(failed.outcome, RegEntryFailed);
  EXPECT_EQ(failed.entryStatus, 3);
  EXPECT_EQ(ExitCodeFor(failed.outcome), 5);
  loader.waitResult = platform::WaitResult::TimedOut;
  EXPECT_EQ(RegUnregModule(L"c.exe", Action::Register, loader).outcome, RegTimeout);
  EXPECT_EQ(loader.log, (Lines{"module released", "module released"}));  // nothing abandoned

  loader.loaded.clear();
  EXPECT_EQ(
      RegUnregModule(L"c.exe", Action::Register, loader, kRegistrationTimeLimit, InstallStep{})
          .outcome,
      RegEntryMissing);
  EXPECT_TRUE(loader.loaded.empty());
}

#ifndef _WIN32
// The portable loader runs a program for real: its switch, its exit code.
TEST(RegistrationEngineContract, AServerProgramRunsInAProcessOfItsOwn) {
  testing::MarkerFile marker;
  const std::string server = ::testing::TempDir() + "corvalinde server.exe";
  {
    std::ofstream script(server);
    script << "#!/bin/sh\necho \"$1\" >> \"$CORVALINDE_TEST_MARKER\"\nexit 3\n";
  }
  std::filesystem::permissions(server, std::filesystem::perms::owner_all);
  auto loader = platform::MakeSystemModuleLoader();
  RegistrationResult result =
      RegUnregModule(std::wstring(server.begin(), server.end()), Action::Register, *loader);
  std::filesystem::remove(server);
  EXPECT_EQ(result.outcome, RegEntryFailed);
  EXPECT_EQ(result.entryStatus, 3);
  EXPECT_EQ(marker.Lines(), Lines{"/RegServer"});
}
#endif

TEST(RegistrationEngineContract, AModuleOfThisBuildsOwnKindIsLoadedAndTheOtherIsNot) {
  std::wstring path = TestModulePath("testmod_arch_x86_64");
  std::wstring own = path.substr(0, path.find_last_of(L'.')) + L".dll";
  std::wstring other = own.substr(0, own.rfind(L"x86_64")) + L"i686.dll";
  if (RunningArchitecture() != ModuleArchitecture::X64) std::swap(own, other);
  FakeLoader loader;
  EXPECT_EQ(RegUnregModule(own, Action::Register, loader).outcome, RegDone);
  EXPECT_EQ(RegUnregModule(other, Action::Register, loader).outcome, RegWrongArchitecture);
  EXPECT_EQ(loader.loaded, std::vector<std::wstring>{own});
}

}  // namespace
}  // namespace corvalinde
