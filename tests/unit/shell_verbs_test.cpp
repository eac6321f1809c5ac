#include "options/shell_verbs.h"

#include "options/opzioni.h"
#include "options/reg_func.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
#include "registry_backends.h"

namespace corvalinde::testing {
namespace {

using namespace platform;

std::wstring DefaultOf(Registry& registry, RegKey root, const std::wstring& path,
                       std::wstring_view name = {}) {
  return ReadText(registry, root, path, name).text;
}

class RegistryHelpers : public RegistryTest {
 protected:
  std::wstring Path(const std::wstring& rest) {
    return sandboxPath_ + (rest.empty() ? L"" : L"\\" + rest);
  }
};

TEST_P(RegistryHelpers, WriteCreatesThePathAndStarOrEmptyIsTheDefault) {
  EXPECT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path(L"a\\b\\c"), L"nome", L"uno"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, L"a\\b\\c", L"nome"), L"uno");
  EXPECT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path(L"a"), L"*", L"stella"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, L"a"), L"stella");
  EXPECT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path(L"a"), L"", L"vuoto"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, L"a"), L"vuoto");
  // Stored with its NUL, as Windows' own tools store texts.
  std::uint32_t size = 0;
  RegistryKey key(*registry_);
  ASSERT_EQ(key.Open(sandbox_, L"a", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(registry_->QueryValue(key.get(), L"", nullptr, nullptr, &size), kRegSuccess);
  EXPECT_EQ(size, 12u);
}

TEST_P(RegistryHelpers, DeleteTakesValuesTheDefaultOrTheKeyItself) {
  ASSERT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path(L"k\\sotto"), L"v", L"1"));
  ASSERT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path(L"k"), L"*", L"2"));
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path(L"k\\sotto"), L"v"));
  EXPECT_FALSE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path(L"k\\sotto"), L"v"));
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path(L"k"), L"*"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, L"k"), L"(none)");
  EXPECT_FALSE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path(L"k"), L""));  // has a sub-key
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path(L"k\\sotto"), L""));
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path(L"k"), L""));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, L"k"), L"(no key)");
  EXPECT_FALSE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path(L"k"), L""));
}

// The verbs go under HKEY_CLASSES_ROOT; these tests use extensions no system has.
class ShellVerbs : public RegistryTest {
 protected:
  void TearDown() override {
    for (const wchar_t* name :
         {L"cvprovafile", L"cvaltrafile", L".cvpuntofile", L".cvprova", L".cvaltra", L".cvpunto"}) {
      DeleteTree(*registry_, kHkeyClassesRoot, name);
    }
    RegistryTest::TearDown();
  }
  std::wstring Command(const std::wstring& fileClass, const std::wstring& verb) {
    return DefaultOf(*registry_, kHkeyClassesRoot, fileClass + L"\\shell\\" + verb + L"\\command");
  }
  const std::wstring program_ = L"C:\\Program Files\\Corvalinde\\Corvalinde.exe";
};

TEST_P(ShellVerbs, EveryExtensionGetsBothVerbsWithTheQuotedProgramPath) {
  std::vector<std::wstring> list = {FixedExtension(L"CVPROVA"), FixedExtension(L"  CvAltra ")};
  CreateShellVerbs(*registry_, list, program_);
  const std::wstring quoted = L"\"C:\\Program Files\\Corvalinde\\Corvalinde.exe\"";
  for (const wchar_t* fileClass : {L"cvprovafile", L"cvaltrafile"}) {
    SCOPED_TRACE(fileClass);
    EXPECT_EQ(Command(fileClass, L"Registra"), quoted + L" /filename %1 /modal R /visible 0");
    EXPECT_EQ(Command(fileClass, L"Unregistra"), quoted + L" /filename %1 /modal U /visible 0");
    EXPECT_EQ(
        DefaultOf(*registry_, kHkeyClassesRoot, std::wstring(fileClass) + L"\\shell\\Registra"),
        L"(none)");
  }

  RemoveShellVerbs(*registry_, list);
  for (const wchar_t* fileClass : {L"cvprovafile", L"cvaltrafile"}) {
    EXPECT_EQ(Command(fileClass, L"Registra"), L"(no key)");
    EXPECT_EQ(
        DefaultOf(*registry_, kHkeyClassesRoot, std::wstring(fileClass) + L"\\shell\\Registra"),
        L"(no key)");
    // The class and its shell key stay, even when the verbs made them.
    RegistryKey shell(*registry_);
    EXPECT_EQ(shell.Open(kHkeyClassesRoot, std::wstring(fileClass) + L"\\shell", kKeyQueryValue),
              kRegSuccess);
  }
  RemoveShellVerbs(*registry_, list);  // nothing left to remove: nothing happens
}

TEST_P(ShellVerbs, ADotStaysAndABlankEntryWritesUnderFile) {
  CreateShellVerbs(*registry_, {FixedExtension(L".CVPUNTO")}, program_);
  EXPECT_NE(Command(L".cvpuntofile", L"Registra"), L"(no key)");
  EXPECT_EQ(FileClassName(FixedExtension(L"")), L"file");
  EXPECT_EQ(FileClassName(L" Ocx "), L"ocxfile");
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryHelpers, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, ShellVerbs, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);

TEST_P(ShellVerbs, AnUntiedExtensionIsTiedToItsClassAndATieIsNeverChanged) {
  ASSERT_TRUE(RegWriteString(*registry_, kHkeyClassesRoot, L".cvaltra", L"", L"altraclasse"));
  CreateShellVerbs(*registry_, {FixedExtension(L"CVPROVA"), FixedExtension(L"CVALTRA")}, program_);
  EXPECT_EQ(DefaultOf(*registry_, kHkeyClassesRoot, L".cvprova"), L"cvprovafile");
  EXPECT_EQ(DefaultOf(*registry_, kHkeyClassesRoot, L".cvaltra"), L"altraclasse");
}

// A standard user: HKEY_CLASSES_ROOT refuses new keys (they would go to the machine's
// classes), so the verbs and the tie are the user's, and show through HKEY_CLASSES_ROOT.
TEST(ShellVerbsRefused, WithoutMachineRightsTheVerbsAreTheUsersAndRemovalTakesBoth) {
  inmemory::MemoryRegistry registry;
  registry.SetReadOnly(kHkeyLocalMachine, true);
  CreateShellVerbs(registry, {FixedExtension(L"DLL")}, L"C:\\x\\Corvalinde.exe");
  EXPECT_EQ(DefaultOf(registry, kHkeyLocalMachine, L"Software\\Classes\\dllfile"), L"(no key)");
  const std::wstring command = L"\"C:\\x\\Corvalinde.exe\" /filename %1 /modal U /visible 0";
  EXPECT_EQ(DefaultOf(registry, kHkeyCurrentUser,
                      L"Software\\Classes\\dllfile\\shell\\Unregistra\\command"),
            command);
  EXPECT_EQ(DefaultOf(registry, kHkeyClassesRoot, L"dllfile\\shell\\Unregistra\\command"), command);
  EXPECT_EQ(DefaultOf(registry, kHkeyCurrentUser, L"Software\\Classes\\.dll"), L"dllfile");
  RemoveShellVerbs(registry, {FixedExtension(L"DLL")});
  EXPECT_EQ(DefaultOf(registry, kHkeyClassesRoot, L"dllfile\\shell\\Registra"), L"(no key)");
  EXPECT_FALSE(RegWriteString(registry, kHkeyClassesRoot, L"x", L"", L"y"));
}

TEST(ProgramPath, IsTheFolderAndTheFixedName) {
  EXPECT_EQ(ProgramPath(L"C:\\Strumenti"), L"C:\\Strumenti\\Corvalinde.exe");
}

}  // namespace
}  // namespace corvalinde::testing
