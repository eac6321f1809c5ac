// Capture to a .reg file, checked against the real thing: a capture leaves the registry as it
// was, and importing what it wrote gives the same keys and values as registering for real.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app_driver.h"
#include "registry_export.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

void RunProgram(const std::wstring& arguments, const std::wstring& expectedStart = L"") {
  AppProcess run(ProgramPath(), arguments);
  auto box = run.WaitForMessageBox(30s);
  ASSERT_TRUE(box.has_value()) << "no message for " << testing::PrintToString(arguments);
  EXPECT_EQ(box->text.rfind(expectedStart, 0), 0u) << testing::PrintToString(box->text);
  PressButton(box->window, L"OK");
  EXPECT_EQ(run.WaitForExit(10s), 0u) << testing::PrintToString(box->text);
}

class CaptureOf : public ::testing::TestWithParam<const wchar_t*> {
 protected:
  std::wstring Module() const {
    std::wstring name = GetParam();
    if (name[0] == L'\\') return ProgramFolder() + name;
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\" + name;
  }
  void Capture(const std::wstring& regFile) {
    RunProgram(L"/filename " + Module() + L" /modal R /capture " + regFile,
               L"Modulo : " + Module() + L"\r\nRegistrazione catturata in " + regFile + L" (");
  }
  std::wstring regFile_ = TempFile(L"corvalinde capture.reg");
  void TearDown() override { DeleteFileW(regFile_.c_str()); }
};

TEST_P(CaptureOf, ChangesNothingAndImportsAsTheRealRegistration) {
  const bool wasRegistered = GetParam()[0] != L'\\';  // the platform's servers are
  // A window shown first: what Wine itself writes when the session's first window appears (the
  // display's device keys, the user's volatile environment) is then written already.
  RunProgram(L"/check /filename " + Module());
  std::wstring machine = Exported(L"HKLM"), users = Exported(L"HKU");
  ASSERT_GT(machine.size(), 1000u);
  Capture(regFile_);
  EXPECT_EQ(Difference(machine, Exported(L"HKLM")), "");
  EXPECT_EQ(Difference(users, Exported(L"HKU")), "");
  ASSERT_GT(FileBytes(regFile_).size(), 100u);

  // Registered for real, then unregistered and the capture imported: the same classes.
  RunProgram(L"/filename " + Module() + L" /modal R");
  std::wstring registered = Exported(L"HKLM\\Software\\Classes");
  RunProgram(L"/filename " + Module() + L" /modal U");
  RunAndCapture(L"reg import \"" + regFile_ + L"\"");
  EXPECT_EQ(Difference(registered, Exported(L"HKLM\\Software\\Classes")), "");
  RunProgram(L"/filename " + Module() + (wasRegistered ? L" /modal R" : L" /modal U"));
}

// A module that hangs in its registration: the usual time-out, no file, and the scratch keys gone
// with the host that was stopped.
TEST(CaptureOfAHangingModule, TimesOutWritesNothingAndLeavesNoKey) {
  const std::wstring regFile = TempFile(L"corvalinde hanging.reg");
  AppProcess run(ProgramPath(), L"/filename " + TestModule(L"testmod_hanging") +
                                    L" /modal R /timeout 2 /capture " + regFile);
  auto box = run.WaitForMessageBox(40s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Errore di timeout del modulo");
  PressButton(box->window, L"OK");
  EXPECT_EQ(run.WaitForExit(10s), 6u);
  EXPECT_EQ(GetFileAttributesW(regFile.c_str()), INVALID_FILE_ATTRIBUTES);
  HKEY left = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Corvalinde", 0, KEY_READ, &left),
            ERROR_FILE_NOT_FOUND);
  if (left) RegCloseKey(left);
}

// Modules whose writes cannot be captured whole: registry links in their class (one leading back
// to the class, one out of the scratch keys to a victim key), or 100 MB of values. A clear
// message within the limit, no file, the real registry as it was (the victim kept whole, its
// one value and no sub-key: a deletion that followed the link would have taken it) and no
// scratch key left.
TEST(CaptureOfAModuleThatCannotBeCaptured, SaysWhyWritesNothingAndLeavesEverythingAsItWas) {
  HKEY victim = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\CorvalindeVictim", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &victim, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(victim, L"kept", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"yes"), 8);
  RegCloseKey(victim);
  RunProgram(L"/check /filename " + TestModule(L"testmod_good"));
  const std::wstring machine = Exported(L"HKLM"), users = Exported(L"HKU");
  const struct {
    const wchar_t* module;
    std::wstring why;
  } cases[] = {
      {L"testmod_do_reglink",
       L"La registrazione ha creato un collegamento nel registro, che la cattura non segue: "
       L"HKEY_CLASSES_ROOT\\CLSID\\{C0B7A11D-0000-4000-8000-00000000BAD1}\\"},
      {L"testmod_do_write100mb",
       L"La registrazione ha scritto nel registro più di 64 MiB, oltre il limite della cattura: "
       L"HKEY_CLASSES_ROOT\\CLSID\\{C0B7A11D-0000-4000-8000-00000000BAD1}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.module)));
    const std::wstring module = TestModule(c.module);
    const std::wstring regFile = TempFile(L"corvalinde refused.reg");
    auto started = std::chrono::steady_clock::now();
    AppProcess run(ProgramPath(), L"/filename " + module + L" /modal R /capture " + regFile);
    auto box = run.WaitForMessageBox(60s);
    ASSERT_TRUE(box.has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
    EXPECT_EQ(box->text.rfind(L"Modulo : " + module + L"\r\n" + c.why, 0), 0u)
        << testing::PrintToString(box->text);
    EXPECT_NE(box->text.find(L"\r\nNessun file scritto, il registro non è stato modificato."),
              std::wstring::npos);
    PressButton(box->window, L"OK");
    EXPECT_EQ(run.WaitForExit(30s), 7u);
    EXPECT_EQ(GetFileAttributesW(regFile.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Difference(machine, Exported(L"HKLM")), "");
    EXPECT_EQ(Difference(users, Exported(L"HKU")), "");
  }
  EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, L"Software\\CorvalindeVictim", L"kept"), L"yes");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\CorvalindeVictim");
}

INSTANTIATE_TEST_SUITE_P(PlatformAndSampleServers, CaptureOf,
                         ::testing::Values(L"scrrun.dll", L"\\testmod_good.dll"),
                         [](const auto& info) {
                           return info.index == 0 ? std::string("scrrun") : std::string("sample");
                         });

// Registration-free COM: the manifest a capture writes lets a client create the class while the
// module is not registered (and load a type library that is not), and the same client without
// it cannot.
TEST(CaptureOfAManifest, CreatesTheClassOfAnUnregisteredModule) {
  const std::wstring folder = TempFile(L"corvalinde manifest");
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring module = folder + L"\\testmod_good.dll", client = folder + L"\\client.exe";
  const std::wstring manifest = folder + L"\\testmod_good.manifest";
  ASSERT_TRUE(CopyFileW(TestModule(L"testmod_good").c_str(), module.c_str(), FALSE));
  ASSERT_TRUE(
      CopyFileW((ProgramFolder() + L"\\manifest_client.exe").c_str(), client.c_str(), FALSE));
  constexpr wchar_t kClass[] = L"{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}";
  ASSERT_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClass), L"")
      << "registered before the test";

  WatchedRun capture = RunWatched(
      L"\"" + ProgramPath() + L"\" /s /filename " + module + L" /modal R /capture " + manifest,
      30s);
  EXPECT_EQ(capture.exitCode, std::optional<DWORD>(0)) << capture.output;
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClass), L"");
  WatchedRun with = RunWatched(L"\"" + client + L"\" \"" + manifest + L"\" " + kClass, 30s);
  WatchedRun without = RunWatched(L"\"" + client + L"\" - " + kClass, 30s);
  EXPECT_EQ(with.exitCode, std::optional<DWORD>(0)) << FileBytes(manifest);
  EXPECT_EQ(without.exitCode, std::optional<DWORD>(REGDB_E_CLASSNOTREG));
  // By its version-independent ProgID too, which only the manifest names.
  with = RunWatched(L"\"" + client + L"\" \"" + manifest + L"\" Corvalinde.TestModule", 30s);
  without = RunWatched(L"\"" + client + L"\" - Corvalinde.TestModule", 30s);
  EXPECT_EQ(with.exitCode, std::optional<DWORD>(0)) << FileBytes(manifest);
  EXPECT_EQ(without.exitCode, std::optional<DWORD>(CO_E_CLASSSTRING));

  // A type library the same way, found by LoadRegTypeLib through the manifest alone.
  const std::wstring library = folder + L"\\testlib.tlb";
  const std::wstring libraryManifest = folder + L"\\testlib.manifest";
  constexpr wchar_t kLibrary[] = L"{6F1C7A52-3B1D-4C59-9E2A-5D0C1F7B8E41} 1 2";
  if (CopyFileW((ProgramFolder() + L"\\testlib.tlb").c_str(), library.c_str(), FALSE)) {
    capture = RunWatched(L"\"" + ProgramPath() + L"\" /s /filename " + library +
                             L" /modal R /capture " + libraryManifest,
                         30s);
    EXPECT_EQ(capture.exitCode, std::optional<DWORD>(0)) << capture.output;
    with = RunWatched(L"\"" + client + L"\" \"" + libraryManifest + L"\" " + kLibrary, 30s);
    without = RunWatched(L"\"" + client + L"\" - " + kLibrary, 30s);
    EXPECT_EQ(with.exitCode, std::optional<DWORD>(0)) << FileBytes(libraryManifest);
    EXPECT_EQ(without.exitCode, std::optional<DWORD>(TYPE_E_LIBNOTREGISTERED));
  }

  for (const std::wstring& file : {module, client, manifest, library, libraryManifest}) {
    DeleteFileW(file.c_str());
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace corvalinde::e2e
