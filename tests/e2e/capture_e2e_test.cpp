// Capture to a .reg file, checked against the real thing: a capture leaves the registry as it
// was, and importing what it wrote gives the same keys and values as registering for real.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>

#include "app_driver.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What Wine's own reg.exe exports of `key`, an independent reading of the registry, as text.
// Without what the system itself rewrites on its own schedule, which no registration touches:
// the device keys of the plug-and-play service (input devices come and go under X), the
// service manager's count of started services (COM starts one) and the network cards Wine
// lists when a program first asks.
std::wstring Exported(const std::wstring& key) {
  const std::wstring file = TempFile(L"corvalinde export.reg");
  RunAndCapture(L"reg export " + key + L" \"" + file + L"\" /y");
  std::string bytes = FileBytes(file);
  DeleteFileW(file.c_str());
  std::wstring text(bytes.size() / 2, L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);
  std::wstring kept;
  const std::wstring_view systemOwn[] = {
      L"\\CurrentControlSet\\Control\\DeviceClasses", L"\\CurrentControlSet\\Enum",
      L"\\CurrentControlSet\\Control\\ServiceCurrent]",
      L"\\Windows NT\\CurrentVersion\\NetworkCards",  // and its 32-bit view's
  };
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find(L"\r\n\r\n", at);
    end = end == std::wstring::npos ? text.size() : end + 4;
    std::wstring_view section(text.data() + at, end - at);
    std::wstring_view header = section.substr(0, section.find(L"\r\n"));
    bool skipped = false;
    for (std::wstring_view own : systemOwn) {
      skipped = skipped || header.find(own) != std::wstring_view::npos;
    }
    if (!skipped) kept.append(section);
    at = end;
  }
  return kept;
}

// Where two exports part, for a failure message that does not print megabytes.
std::string Difference(const std::wstring& before, const std::wstring& after) {
  std::size_t at = 0;
  while (at < before.size() && at < after.size() && before[at] == after[at]) ++at;
  if (at == before.size() && at == after.size()) return "";
  std::string context;
  for (std::size_t i = at > 160 ? at - 160 : 0; i < at + 40 && i < after.size(); ++i) {
    context += after[i] >= 32 && after[i] < 127 ? static_cast<char>(after[i]) : '.';
  }
  return "lengths " + std::to_string(before.size()) + " and " + std::to_string(after.size()) +
         ", first difference at " + std::to_string(at) + ": " + context;
}

void RunProgram(const std::wstring& arguments, const std::wstring& expectedStart = L"") {
  AppProcess run(ProgramFolder() + L"\\Corvalinde.exe", arguments);
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
  AppProcess run(
      ProgramFolder() + L"\\Corvalinde.exe",
      L"/filename " + ProgramFolder() + L"\\testmod_hanging.dll /modal R /capture " + regFile);
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
  RunProgram(L"/check /filename " + ProgramFolder() + L"\\testmod_good.dll");
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
    const std::wstring module = ProgramFolder() + L"\\" + c.module + L".dll";
    const std::wstring regFile = TempFile(L"corvalinde refused.reg");
    auto started = std::chrono::steady_clock::now();
    AppProcess run(ProgramFolder() + L"\\Corvalinde.exe",
                   L"/filename " + module + L" /modal R /capture " + regFile);
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

}  // namespace
}  // namespace corvalinde::e2e
