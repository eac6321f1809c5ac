// The settings and the registry entries the program owns, against a hostile opz.dat, a folder
// with non-Western letters, a second start and a save that cannot happen.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app_driver.h"

namespace corvalinde::e2e {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kVictim[] = L"CorvalindeVittima\\shell\\open\\command";

void WriteFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// An opz.dat of 128-byte records: flags set, then these 50-byte names.
std::string SettingsWith(const std::vector<std::string>& names) {
  auto record = [](std::string field) {
    field.resize(128, '\0');
    return field;
  };
  std::string file = record("\xFF\xFF") + record(std::string(2, '\0')) +
                     record(std::string(1, static_cast<char>(names.size())) + '\0');
  for (std::string name : names) {
    name.resize(50, ' ');
    file += record(name);
  }
  return file;
}

// What `reg export` writes for a key of HKEY_CLASSES_ROOT: every sub-key and value, as bytes.
std::string Export(const std::wstring& key) {
  std::wstring file = ProgramFolder() + L"\\export.reg";
  DeleteFileW(file.c_str());
  RunAndCapture(L"reg export \"HKEY_CLASSES_ROOT\\" + key + L"\" \"" + file + L"\" /y");
  std::string content = FileBytes(file);
  DeleteFileW(file.c_str());
  return content.empty() ? "(missing)" : content;
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    HKEY victim = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kVictim, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &victim, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(victim, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"vittima"), 16);
    RegCloseKey(victim);
  }
  void TearDown() override {
    Clean();
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CorvalindeVittima");
  }
  void Clean() {
    for (const wchar_t* name : {L"\\opz.dat", L"\\opz.dat.bak"}) {
      DeleteFileW((ProgramFolder() + name).c_str());
    }
  }
  // Starts the tray, waits until start-up is over and ends it through its main window.
  void StartAndClose(const std::wstring& program) {
    AppProcess app(program, L"");
    HWND control = WaitForTrayControl(app);
    ASSERT_TRUE(control);
    PostMessageW(GetParent(control), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(0));
  }

  std::wstring settings_ = ProgramFolder() + L"\\opz.dat";
  std::wstring program_ = ProgramPath();
};

TEST_F(Settings, CraftedNamesLeaveEveryOtherClassByteForByte) {
  const std::wstring watched[] = {L"exefile", L"txtfile", L"CorvalindeVittima"};
  std::vector<std::string> before;
  for (const std::wstring& key : watched) before.push_back(Export(key));
  ASSERT_NE(before[2], "(missing)");

  // A NUL cuts the path where the attacker wants it; a "\" walks out of the class.
  std::string cut = "CorvalindeVittima\\shell\\open\\command";
  cut += '\0';
  for (const std::string& attack : {SettingsWith({cut, "DLL"}), SettingsWith({"TXT\\shell", "DLL"}),
                                    SettingsWith({"exefile\\shell\\open\\command", "DLL"})}) {
    WriteFile(settings_, attack);
    StartAndClose(program_);
    for (std::size_t i = 0; i < std::size(watched); ++i) {
      EXPECT_EQ(Export(watched[i]), before[i]) << testing::PrintToString(watched[i]);
    }
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, kVictim), L"vittima");
    // The damaged file is kept; what was valid in it is saved.
    EXPECT_EQ(FileBytes(settings_ + L".bak"), attack);
    EXPECT_EQ(FileBytes(settings_).size(), 4u * 128);
  }
}

// The first started by its short (8.3) name, as old shortcuts and some launchers do, from a
// folder whose long name differs: still the same folder's tray.
TEST_F(Settings, ASecondStartOpensTheFirstOnesMenuAndEnds) {
  const std::wstring folder = ProgramFolder() + L"\\Corvalinde lungo";
  const std::wstring program = folder + L"\\Corvalinde.exe";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(program_.c_str(), program.c_str(), FALSE));
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameW(program.c_str(), shortName, MAX_PATH), 0u);
  ASSERT_EQ(std::wstring(shortName).find(L"Corvalinde lungo"), std::wstring::npos);
  AppProcess first(shortName, L"");
  HWND control = WaitForTrayControl(first);
  ASSERT_TRUE(control);
  AppProcess second(program, L"");
  EXPECT_EQ(second.WaitForExit(10s), std::optional<DWORD>(0));
  EXPECT_FALSE(second.FindWindowOfClass(L"CorvalindeMain", false));
  HWND menu = first.WaitForWindow(L"#32768", L"", 5s);
  ASSERT_TRUE(menu) << "the running tray did not open its menu";
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(GetParent(control), WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(10s), std::optional<DWORD>(0));
  DeleteFileW(program.c_str());
  DeleteFileW((folder + L"\\opz.dat").c_str());
  RemoveDirectoryW(folder.c_str());
}

// An unchanged run writes nothing: the file's time stamp stays.
TEST_F(Settings, AnUnchangedRunLeavesTheFileAlone) {
  StartAndClose(program_);
  WIN32_FILE_ATTRIBUTE_DATA before{}, after{};
  ASSERT_TRUE(GetFileAttributesExW(settings_.c_str(), GetFileExInfoStandard, &before));
  StartAndClose(program_);
  ASSERT_TRUE(GetFileAttributesExW(settings_.c_str(), GetFileExInfoStandard, &after));
  EXPECT_EQ(CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
}

// A damaged file (cut short) is to be replaced, and cannot be while held open.
TEST_F(Settings, ABlockedSaveSaysSoAndRetriesWhenAsked) {
  StartAndClose(program_);
  const std::string damaged = FileBytes(settings_).substr(0, 450);  // its second entry missing
  WriteFile(settings_, damaged);
  AppProcess app(program_, L"");
  HWND control = WaitForTrayControl(app);
  ASSERT_TRUE(control);
  // Held open without sharing its deletion, as a backup program may: it cannot be replaced.
  HANDLE held = CreateFileW(settings_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  PostMessageW(GetParent(control), WM_CLOSE, 0, 0);
  auto box = app.WaitForMessageBox(10s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text.rfind(L"Impossibile salvare le opzioni in " + settings_ + L"\r\n", 0), 0u)
      << testing::PrintToString(box->text);
  EXPECT_GT(box->text.size(), 36 + settings_.size());  // Windows' reason follows
  EXPECT_EQ(box->icon, SeenIcon::Error);
  EXPECT_EQ(box->buttons.size(), 2u);
  CloseHandle(held);
  ASSERT_TRUE(PressButton(box->window, L"Retry") || PressButton(box->window, L"Riprova"));
  EXPECT_EQ(app.WaitForExit(10s), std::optional<DWORD>(0));
  EXPECT_EQ(FileBytes(settings_ + L".bak"), damaged);
  EXPECT_EQ(FileBytes(settings_).size(), 4u * 128);  // what was whole in it
}

TEST_F(Settings, InstalledUnderCyrillicLettersTheVerbsWork) {
  const std::wstring folder =
      ProgramFolder() + L"\\\x041f\x0440\x043e\x0433\x0440\x0430\x043c\x043c\x044b";
  const std::wstring program = folder + L"\\Corvalinde.exe";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(program_.c_str(), program.c_str(), FALSE));
  StartAndClose(program);
  EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, L"dllfile\\shell\\Registra\\command"),
            L"\"" + program + L"\" /filename %1 /modal R /visible 0");

  // A fresh prefix does not tie .dll files to the dllfile class, as Windows does.
  RegSetValueW(HKEY_CLASSES_ROOT, L".dll", REG_SZ, L"dllfile", 7 * sizeof(wchar_t));
  std::wstring module = TestModule(L"testmod_good");
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"Registra";
  info.lpFile = module.c_str();
  ASSERT_TRUE(ShellExecuteExW(&info) && info.hProcess);
  AppProcess run(info.hProcess);
  auto box = run.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"Modulo : " + module + L"\r\nRegistrato con successo");
  PressButton(box->window, L"OK");
  EXPECT_EQ(run.WaitForExit(10s), std::optional<DWORD>(0));
  AppProcess(program_, L"/filename " + module + L" /modal u").WaitForExit(20s);

  DeleteFileW(program.c_str());
  DeleteFileW((folder + L"\\opz.dat").c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace corvalinde::e2e
