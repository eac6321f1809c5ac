// "/verify" on a real registration: what is missing of it, what stands in its place, and a
// script's check through a pipe.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "message_checks.h"
#include "platform/utf8.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;
using platform::Utf8;

const std::wstring kClass =
    L"HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{C0A1D2E3-5A6B-4C7D-8E9F-0123456789AB}";

TEST(Verification, SaysWhatIsMissingOfARealRegistrationAndWhatStandsInItsPlace) {
  const std::wstring module = TestModule(L"testmod_good");
  Silently(L"/filename " + module + L" /modal U");
  WatchedRun never = Silently(L"/filename " + module + L" /verify");
  EXPECT_EQ(never.exitCode, std::optional<DWORD>(10));
  EXPECT_EQ(
      never.output.rfind(
          Utf8(L"Modulo : " + module +
               L"\r\nRegistrazione incompleta o diversa:\r\nManca la chiave: " + kClass + L"\r\n"),
          0),
      0u)
      << never.output;
  EXPECT_FALSE(never.showedAWindow);

  // Registered: complete, and said in a box when not silent.
  Silently(L"/filename " + module + L" /modal R");
  AppProcess visible(ProgramPath(), L"/filename " + module + L" /verify");
  auto box = visible.WaitForMessageBox(60s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text.rfind(L"Modulo : " + module + L"\r\nRegistrazione completa: ", 0), 0u)
      << testing::PrintToString(box->text);
  EXPECT_NE(box->text.find(L" valori come li scrive il modulo.\r\nRegistrato per i programmi a 64 "
                           L"bit: un programma a 32 bit non troverà queste classi."),
            std::wstring::npos)
      << testing::PrintToString(box->text);
  PressButton(box->window, L"OK");
  EXPECT_EQ(visible.WaitForExit(10s), std::optional<DWORD>(0));

  // Its threading model lost.
  const std::wstring server = kClass.substr(kClass.find(L'\\') + 1) + L"\\InprocServer32";
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, server.c_str(), L"ThreadingModel"),
            ERROR_SUCCESS);
  WatchedRun lost = Silently(L"/filename " + module + L" /verify");
  EXPECT_EQ(lost.exitCode, std::optional<DWORD>(10));
  EXPECT_NE(lost.output.find(
                Utf8(L"\r\nManca il valore: " + kClass + L"\\InProcServer32 ThreadingModel\r\n")),
            std::string::npos)
      << lost.output;

  // A copy registered from another folder stands in its place.
  const std::wstring elsewhere = TempFile(L"corvalinde altrove");
  CreateDirectoryW(elsewhere.c_str(), nullptr);
  const std::wstring copy = elsewhere + L"\\testmod_good.dll";
  ASSERT_TRUE(CopyFileW(module.c_str(), copy.c_str(), FALSE));
  Silently(L"/filename " + copy + L" /modal R");
  WatchedRun replaced = Silently(L"/filename " + module + L" /verify");
  EXPECT_EQ(replaced.exitCode, std::optional<DWORD>(10));
  EXPECT_NE(replaced.output.find(Utf8(L"\r\nAl suo posto è registrato: " + copy + L"\r\n")),
            std::string::npos)
      << replaced.output;

  Silently(L"/filename " + copy + L" /modal U");
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(elsewhere.c_str());
}

}  // namespace
}  // namespace corvalinde::e2e
