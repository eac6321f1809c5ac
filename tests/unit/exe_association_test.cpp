// The association builder against every registry backend, under HKEY_CLASSES_ROOT with class
// names of our own that are removed again.
#include "platform/registry_key.h"
#include "registry/cls_registry.h"
#include "platform/inmemory/memory_registry.h"
#include "registry_backends.h"

namespace corvalinde::testing {
namespace {

using namespace platform;

class Association : public RegistryTest {
 protected:
  void TearDown() override {
    for (const wchar_t* key : {L"CorvalindeDoc", L".cvdoc", L"CorvalindeAltro"}) {
      DeleteTree(*registry_, kHkeyClassesRoot, key);
    }
    RegistryTest::TearDown();
  }
  // The default value of a key under HKEY_CLASSES_ROOT and its type; L"(no key)" when absent.
  std::pair<std::wstring, std::uint32_t> Default(const std::wstring& path) {
    StoredText stored = ReadText(*registry_, kHkeyClassesRoot, path);
    return {stored.text, stored.type};
  }
  std::wstring Text(const std::wstring& path) { return Default(path).first; }
  void Minimal(clsRegistry& reg, bool install, std::int32_t icon) {
    reg.CreateEXEAssociation(L"C:\\a.exe", L"CorvalindeDoc", L"Documento", L"cvdoc", L"", false,
                             L"", false, L"", install, L"", icon);
  }
};

TEST_P(Association, TheMinimalCallWritesFourKeys) {
  clsRegistry reg(*registry_);
  Minimal(reg, false, -1);
  EXPECT_EQ(Text(L".cvdoc"), L"CorvalindeDoc");
  EXPECT_EQ(Text(L"CorvalindeDoc"), L"Documento");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\open"), L"&Open");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\open\\command"), L"\"C:\\a.exe\" \"%1\"");
  for (const wchar_t* absent : {L"CorvalindeDoc\\shell\\print", L"CorvalindeDoc\\shell\\add",
                                L"CorvalindeDoc\\shell\\new", L"CorvalindeDoc\\DefaultIcon"}) {
    EXPECT_EQ(Text(absent), L"(no key)") << absent;
  }
  // The object is left at the last key written.
  EXPECT_EQ(reg.SectionKey(), L"CorvalindeDoc\\shell\\open\\command");
  EXPECT_EQ(reg.ClassKey(), static_cast<std::int32_t>(kHkeyClassesRoot));
  EXPECT_EQ(reg.ValueType(), kRegSz);
}

TEST_P(Association, EveryVerbTheIconAndTheirDefaults) {
  clsRegistry reg(*registry_);
  reg.CreateEXEAssociation(L"  \"C:\\Program Files\\app.exe\"  ", L"CorvalindeDoc", L"Doc",
                           L"cvdoc", L"Apri", true, L"", true, L"", true, L"", 0);
  const std::wstring quoted = L"\"C:\\Program Files\\app.exe\"";
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\open"), L"Apri");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\print"), L"&Print");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\print\\command"), quoted + L" /p \"%1\"");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\add"), L"&Install cvdoc");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\add\\command"), quoted + L" /a \"%1\"");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\new"), L"&New");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\new\\command"), quoted + L" /n \"%1\"");
  EXPECT_EQ(Text(L"CorvalindeDoc\\DefaultIcon"), quoted + L",0");
  EXPECT_EQ(reg.SectionKey(), L"CorvalindeDoc\\DefaultIcon");
}

TEST_P(Association, APathWithAVariableIsStoredExpandable) {
  clsRegistry reg(*registry_);
  reg.CreateEXEAssociation(L"%ProgramFiles%\\app.exe", L"CorvalindeDoc", L"Doc", L"cvdoc", L"",
                           false, L"", false, L"", false, L"", 3);
  EXPECT_EQ(Default(L"CorvalindeDoc\\shell\\open\\command"),
            (std::pair<std::wstring, std::uint32_t>{L"\"%ProgramFiles%\\app.exe\" \"%1\"",
                                                    kRegExpandSz}));
  EXPECT_EQ(Default(L"CorvalindeDoc\\DefaultIcon").second, kRegExpandSz);
  EXPECT_EQ(Default(L"CorvalindeDoc").second, kRegSz);
}

TEST_P(Association, AdditionalVerbsCheckTheirListAndTheirClass) {
  clsRegistry fresh(*registry_);
  auto noClass = fresh.CreateAdditionalEXEAssociations(
      L"CorvalindeDoc", {std::wstring(L"v"), std::wstring(L"T"), std::wstring(L"X")});
  ASSERT_TRUE(noClass);
  EXPECT_EQ(noClass->Number(), -2147194451);
  EXPECT_EQ(noClass->Description(),
            L"Error - attempt to create additional associations before class defined.");

  clsRegistry reg(*registry_);
  Minimal(reg, false, -1);
  for (std::size_t count : {2u, 4u}) {
    std::vector<RegistryValue> items(count, std::wstring(L"x"));
    auto error = reg.CreateAdditionalEXEAssociations(L"CorvalindeDoc", items);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), -2147194452);
    EXPECT_EQ(error->Description(),
              L"Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
              L"Name/Text/Command");
  }
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\x"), L"(no key)");
  EXPECT_FALSE(reg.CreateAdditionalEXEAssociations(L"CorvalindeDoc", {}));
  EXPECT_FALSE(reg.CreateAdditionalEXEAssociations(
      L"CorvalindeDoc", {std::wstring(L"v"), std::wstring(L"T"), std::wstring(L"X %1")}));
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\v"), L"T");
  EXPECT_EQ(Text(L"CorvalindeDoc\\shell\\v\\command"), L"X %1");
  auto missing = reg.CreateAdditionalEXEAssociations(
      L"CorvalindeAltro", {std::wstring(L"v"), std::wstring(L"T"), std::wstring(L"X")});
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->Number(), -2147194451);
}

INSTANTIATE_TEST_SUITE_P(Backends, Association, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);

TEST(AssociationFailures, AFailedWriteStopsTheBuilderButNotTheAdditionalVerbs) {
  inmemory::MemoryRegistry registry;
  clsRegistry reg(registry);
  reg.CreateEXEAssociation(L"C:\\a.exe", L"CorvalindeDoc", L"Doc", L"cvdoc", L"", false, L"", false,
                           L"", false, L"", -1);
  // A verb whose key cannot be made (an empty name inside its path) fails; the later group is
  // written all the same, and the failure is what comes back.
  auto error = reg.CreateAdditionalEXEAssociations(
      L"CorvalindeDoc", {std::wstring(L"a\\\\b"), std::wstring(L"T"), std::wstring(L"X"),
                         std::wstring(L"ok"), std::wstring(L"T2"), std::wstring(L"Y")});
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 26001);
  clsRegistry check(registry);
  check.SetClassKey(static_cast<std::int32_t>(kHkeyClassesRoot));
  check.SetSectionKey(L"CorvalindeDoc\\shell\\ok\\command");
  EXPECT_EQ(check.Value(), RegistryValue{std::wstring(L"Y")});

  registry.SetReadOnly(kHkeyLocalMachine, true);  // a standard user: new classes go nowhere
  clsRegistry refused(registry);
  try {
    refused.CreateEXEAssociation(L"C:\\b.exe", L"CorvalindeAltro", L"Doc", L"cvaltro", L"", false,
                                 L"", false, L"", false, L"", -1);
    FAIL() << L"a refused write must raise";
  } catch (const RegistryError& raised) {
    EXPECT_EQ(raised.Number(), 26001);
    EXPECT_EQ(raised.Description(),
              L"Failed to set registry value Key: '-2147483648',Section: '.cvaltro',Key: '' to "
              L"value: 'CorvalindeAltro'");
  }
}

}  // namespace
}  // namespace corvalinde::testing
