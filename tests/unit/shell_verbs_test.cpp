#include "options/shell_verbs.h"

#include "options/opzioni.h"
#include "options/reg_func.h"
#include "platform/ansi.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
#include "registry_backends.h"

namespace corvalinde::testing {
namespace {

using namespace platform;

std::string DefaultOf(Registry& registry, RegKey root, const std::string& path,
                      const char* name = nullptr) {
  return ReadText(registry, root, path, name).text;
}

class RegistryHelpers : public RegistryTest {
 protected:
  std::wstring Path(const std::string& rest) {
    return FromAnsi(sandboxPath_ + (rest.empty() ? "" : "\\" + rest));
  }
};

TEST_P(RegistryHelpers, WriteCreatesThePathAndStarOrEmptyIsTheDefault) {
  EXPECT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path("a\\b\\c"), L"nome", L"uno"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, "a\\b\\c", "nome"), "uno");
  EXPECT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path("a"), L"*", L"stella"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, "a"), "stella");
  EXPECT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path("a"), L"", L"vuoto"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, "a"), "vuoto");
  // The size counted no NUL; the registry adds it, so the text reads back whole.
  std::uint32_t size = 0;
  RegistryKey key(*registry_);
  ASSERT_EQ(key.Open(sandbox_, "a", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(registry_->QueryValue(key.get(), nullptr, nullptr, nullptr, &size), kRegSuccess);
  EXPECT_EQ(size, 6u);
}

TEST_P(RegistryHelpers, DeleteTakesValuesTheDefaultOrTheKeyItself) {
  ASSERT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path("k\\sotto"), L"v", L"1"));
  ASSERT_TRUE(RegWriteString(*registry_, kHkeyCurrentUser, Path("k"), L"*", L"2"));
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path("k\\sotto"), L"v"));
  EXPECT_FALSE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path("k\\sotto"), L"v"));
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path("k"), L"*"));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, "k"), "(none)");
  EXPECT_FALSE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path("k"), L""));  // has a sub-key
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path("k\\sotto"), L""));
  EXPECT_TRUE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path("k"), L""));
  EXPECT_EQ(DefaultOf(*registry_, sandbox_, "k"), "(no key)");
  EXPECT_FALSE(RegDeleteEntry(*registry_, kHkeyCurrentUser, Path("k"), L""));
}

// The verbs go under HKEY_CLASSES_ROOT; these tests use extensions no system has.
class ShellVerbs : public RegistryTest {
 protected:
  void TearDown() override {
    for (const char* name : {"cvprovafile", "cvaltrafile", ".cvpuntofile"}) {
      DeleteTree(*registry_, kHkeyClassesRoot, name);
    }
    RegistryTest::TearDown();
  }
  std::string Command(const std::string& fileClass, const std::string& verb) {
    return DefaultOf(*registry_, kHkeyClassesRoot, fileClass + "\\shell\\" + verb + "\\command");
  }
  const std::wstring program_ = L"C:\\Program Files\\Corvalinde\\Corvalinde.exe";
};

TEST_P(ShellVerbs, EveryExtensionGetsBothVerbsWithTheQuotedProgramPath) {
  std::vector<std::wstring> list = {FixedExtension(L"CVPROVA"), FixedExtension(L"  CvAltra ")};
  CreateShellVerbs(*registry_, list, program_);
  const std::string quoted = "\"C:\\Program Files\\Corvalinde\\Corvalinde.exe\"";
  for (const char* fileClass : {"cvprovafile", "cvaltrafile"}) {
    SCOPED_TRACE(fileClass);
    EXPECT_EQ(Command(fileClass, "Registra"), quoted + " /filename %1 /modal R /visible 0");
    EXPECT_EQ(Command(fileClass, "Unregistra"), quoted + " /filename %1 /modal U /visible 0");
    EXPECT_EQ(DefaultOf(*registry_, kHkeyClassesRoot, std::string(fileClass) + "\\shell\\Registra"),
              "(none)");
  }

  RemoveShellVerbs(*registry_, list);
  for (const char* fileClass : {"cvprovafile", "cvaltrafile"}) {
    EXPECT_EQ(Command(fileClass, "Registra"), "(no key)");
    EXPECT_EQ(DefaultOf(*registry_, kHkeyClassesRoot, std::string(fileClass) + "\\shell\\Registra"),
              "(no key)");
    // The class and its shell key stay, even when the verbs made them.
    RegistryKey shell(*registry_);
    EXPECT_EQ(shell.Open(kHkeyClassesRoot, std::string(fileClass) + "\\shell", kKeyQueryValue),
              kRegSuccess);
  }
  RemoveShellVerbs(*registry_, list);  // nothing left to remove: nothing happens
}

TEST_P(ShellVerbs, ADotStaysAndABlankEntryWritesUnderFile) {
  CreateShellVerbs(*registry_, {FixedExtension(L".CVPUNTO")}, program_);
  EXPECT_NE(Command(".cvpuntofile", "Registra"), "(no key)");
  EXPECT_EQ(FileClassName(FixedExtension(L"")), L"file");
  EXPECT_EQ(FileClassName(L" Ocx "), L"ocxfile");
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryHelpers, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, ShellVerbs, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);

TEST(ShellVerbsRefused, AReadOnlyClassesRootChangesNothingAndRaisesNothing) {
  inmemory::MemoryRegistry registry;
  registry.SetReadOnly(kHkeyClassesRoot, true);
  CreateShellVerbs(registry, {FixedExtension(L"DLL")}, L"C:\\x\\Corvalinde.exe");
  EXPECT_EQ(DefaultOf(registry, kHkeyClassesRoot, "dllfile"), "(no key)");
  EXPECT_FALSE(RegWriteString(registry, kHkeyClassesRoot, L"x", L"", L"y"));
}

TEST(ProgramPath, IsTheFolderAndTheFixedName) {
  EXPECT_EQ(ProgramPath(L"C:\\Strumenti"), L"C:\\Strumenti\\Corvalinde.exe");
}

}  // namespace
}  // namespace corvalinde::testing
