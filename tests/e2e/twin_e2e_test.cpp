// The 32-bit program with real 32-bit modules: handed them by the 64-bit one, and run by itself.
// The keys land in the 32-bit view where Wine's own 32-bit regsvr32 puts them, and nowhere else.
// Only where this Wine runs 32-bit programs (Debian's wine32:i386 beside wine64).
#include <gtest/gtest.h>

#include "app_driver.h"
#include "message_checks.h"
#include "registry_export.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring ThirtyTwoBit(const wchar_t* name) {
  return Folder32() + L"\\" + name + L".dll";
}
std::wstring TwinPath() {
  return ProgramFolder() + L"\\Corvalinde32.exe";
}

// The registry as reg.exe exports it, both views of the machine and the users.
std::wstring Registry() {
  return Exported(L"HKLM") + Exported(L"HKU");
}

class ThirtyTwoBitTwin : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ThirtyTwoBitProgramsRun()) {
      GTEST_SKIP() << "this Wine runs no 32-bit programs (Debian's wine32:i386 is not installed, "
                      "or this machine cannot run it)";
    }
    ASSERT_TRUE(CopyFileW(CORVALINDE_TWIN_PROGRAM, TwinPath().c_str(), FALSE))
        << "no 32-bit program: build the release32 preset first";
  }
  void TearDown() override { DeleteFileW(TwinPath().c_str()); }

  const std::wstring module_ = ThirtyTwoBit(L"testmod_good");
};

// One box with this text from `program`, pressed; its exit code.
std::optional<DWORD> OneBox(const std::wstring& program, const std::wstring& arguments,
                            const std::wstring& text) {
  AppProcess app(program, arguments);
  auto box = app.WaitForMessageBox(30s);
  if (!box) {
    ADD_FAILURE() << "no message for " << testing::PrintToString(arguments);
    return std::nullopt;
  }
  EXPECT_EQ(box->text, text);
  PressButton(box->window, L"OK");
  return app.WaitForExit(10s);
}

TEST_F(ThirtyTwoBitTwin, HandedOverTheModuleLandsWhereRegsvr32PutsItAndNowhereElse) {
  const std::wstring registered = L"Modulo : " + module_ + L"\r\nRegistrato con successo";
  const std::wstring unregistered = L"Modulo : " + module_ + L"\r\nUnregistrato con successo";
  // A window first: what Wine writes when the session's first window appears is then written.
  EXPECT_EQ(OneBox(ProgramPath(), L"/filename " + module_ + L" /modal U", unregistered), 0u);
  const std::wstring before = Registry();

  const std::wstring regsvr32 = L"C:\\windows\\syswow64\\regsvr32.exe /s ";
  EXPECT_EQ(RunWatched(regsvr32 + module_, 30s).exitCode, 0u);
  const std::wstring byRegsvr32 = Registry();
  ASSERT_NE(Difference(before, byRegsvr32), "");
  EXPECT_EQ(RunWatched(regsvr32 + L"/u " + module_, 30s).exitCode, 0u);
  ASSERT_EQ(Difference(before, Registry()), "");

  EXPECT_EQ(OneBox(ProgramPath(), L"/filename " + module_ + L" /modal R", registered), 0u);
  EXPECT_EQ(Difference(byRegsvr32, Registry()), "");
  EXPECT_FALSE(
      KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + std::wstring(kSampleClassKey)));
  EXPECT_EQ(OneBox(ProgramPath(), L"/filename " + module_ + L" /modal U", unregistered), 0u);
  EXPECT_EQ(Difference(before, Registry()), "");

  // regsvr32's own syntax, silent: the same keys, no window.
  EXPECT_EQ(Silently(module_).exitCode, 0u);
  EXPECT_EQ(Difference(byRegsvr32, Registry()), "");
  EXPECT_EQ(Silently(L"/u " + module_).exitCode, 0u);
  EXPECT_EQ(Difference(before, Registry()), "");

  // By itself, the 32-bit program does the same.
  EXPECT_EQ(OneBox(TwinPath(), L"/filename " + module_ + L" /modal R", registered), 0u);
  EXPECT_EQ(Difference(byRegsvr32, Registry()), "");
  EXPECT_EQ(OneBox(TwinPath(), L"/filename " + module_ + L" /modal U", unregistered), 0u);
  EXPECT_EQ(Difference(before, Registry()), "");
}

// For this user only: the class is where a 32-bit program of the user looks, the machine's
// keys are untouched.
TEST_F(ThirtyTwoBitTwin, ForThisUserTheClassIsInTheUsers32BitView) {
  const std::wstring machine = Exported(L"HKLM");
  const std::wstring key = L"Software\\Classes\\" + std::wstring(kSampleClassKey);
  auto seenBy32BitPrograms = [&] {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &opened)) {
      return false;
    }
    RegCloseKey(opened);
    return true;
  };
  WatchedRun run = Silently(L"/user /filename " + module_ + L" /modal R");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(seenBy32BitPrograms());
  EXPECT_EQ(Difference(machine, Exported(L"HKLM")), "");
  run = Silently(L"/user /filename " + module_ + L" /modal U");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_FALSE(seenBy32BitPrograms());
}

// A capture in each format changes nothing; the .reg file imported into the 32-bit view gives
// what registering gives.
TEST_F(ThirtyTwoBitTwin, CapturesInEachFormatAndChangesNothing) {
  const std::wstring before = Registry();
  for (const wchar_t* name : {L"cattura32.reg", L"cattura32.wxs", L"cattura32.manifest"}) {
    const std::wstring file = TempFile(name);
    WatchedRun capture = Silently(L"/filename " + module_ + L" /modal R /capture " + file);
    EXPECT_EQ(capture.exitCode, 0u) << capture.output;
    EXPECT_NE(FileBytes(file).find("C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB"), std::string::npos);
    EXPECT_EQ(Difference(before, Registry()), "");
  }
  const std::wstring regFile = TempFile(L"cattura32.reg");
  WatchedRun silent = Silently(module_);
  ASSERT_EQ(silent.exitCode, 0u);
  const std::wstring registered = Registry();
  Silently(L"/u " + module_);
  RunAndCapture(L"reg import \"" + regFile + L"\" /reg:32");
  EXPECT_EQ(Difference(registered, Registry()), "");
  Silently(L"/u " + module_);
  for (const wchar_t* name : {L"cattura32.reg", L"cattura32.wxs", L"cattura32.manifest"}) {
    DeleteFileW(TempFile(name).c_str());
  }
}

// The 32-bit program reads a 32-bit module's dependencies as a 32-bit process finds them
// (SysWOW64 under System32's name).
TEST_F(ThirtyTwoBitTwin, ByItselfItChecksAsA32BitProcess) {
  AppProcess app(TwinPath(), L"/check /filename " + module_);
  auto box = app.WaitForMessageBox(30s);
  ASSERT_TRUE(box.has_value());
  EXPECT_NE(box->text.find(L"Architettura: a 32 bit\r\nDllRegisterServer: presente\r\n"
                           L"DllUnregisterServer: presente\r\nDipendenze: tutte presenti"),
            std::wstring::npos)
      << testing::PrintToString(box->text);
  PressButton(box->window, L"OK");
  EXPECT_EQ(app.WaitForExit(10s), 0u);
}

// What crashes, hangs or leaves a program running in the 32-bit host is stopped as in the 64-bit
// one.
TEST_F(ThirtyTwoBitTwin, AHostileModuleIsStoppedAsInThe64BitHost) {
  struct Case {
    const wchar_t* module;
    const wchar_t* outcome;
    DWORD exitCode;
  } cases[] = {
      {L"testmod_null_write",
       L"Il modulo si è interrotto durante l'operazione (eccezione 0x"
       L"C0000005)",
       8},
      {L"testmod_hanging", L"Errore di timeout del modulo", 6},
      {L"testmod_do_spawnhang", L"Errore di timeout del modulo", 6},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(test.module)));
    AppProcess app(ProgramPath(),
                   L"/filename " + ThirtyTwoBit(test.module) + L" /modal R /timeout 3");
    auto box = app.WaitForMessageBox(30s);
    ASSERT_TRUE(box.has_value());
    EXPECT_NE(box->text.find(test.outcome), std::wstring::npos)
        << testing::PrintToString(box->text);
    PressButton(box->window, L"OK");
    EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(test.exitCode));
    EXPECT_TRUE(NoneLeftWithin(L"Corvalinde32.exe", 5s));
    EXPECT_TRUE(NoneLeftWithin(L"rundll32.exe", 5s));
  }
}

}  // namespace
}  // namespace corvalinde::e2e
