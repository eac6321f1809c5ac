// clsRegistry against every registry backend: the typed reads and writes, their errors, and
// reads of values whose stored size does not fit their type.
#include "registry/cls_registry.h"

#include "platform/ansi.h"
#include "platform/registry_key.h"
#include "registry_backends.h"

namespace corvalinde::testing {
namespace {

using namespace platform;

constexpr std::int32_t kClassesRoot = static_cast<std::int32_t>(kHkeyClassesRoot);
constexpr std::int32_t kCurrentUser = static_cast<std::int32_t>(kHkeyCurrentUser);

class RegistryClass : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    object_.emplace(*registry_);
    reg().SetClassKey(kCurrentUser);
    reg().SetSectionKey(FromAnsi(sandboxPath_));
  }
  // Stores exactly these bytes under the sandbox, as another program might have.
  void Store(const char* name, std::uint32_t type, const ByteArray& bytes) {
    // The 8-bit call looks one byte past a string for a NUL left out of the count; a byte that
    // is not NUL there keeps the count as given.
    ByteArray padded = bytes;
    padded.push_back('#');
    ASSERT_EQ(registry_->SetValue(sandbox_, name, type, padded.data(),
                                  static_cast<std::uint32_t>(bytes.size())),
              kRegSuccess);
  }
  std::pair<std::uint32_t, ByteArray> Stored(const char* name) {
    std::uint32_t type = 0, size = 0;
    if (registry_->QueryValue(sandbox_, name, &type, nullptr, &size) != kRegSuccess) return {};
    ByteArray data(size);
    registry_->QueryValue(sandbox_, name, &type, data.data(), &size);
    return {type, data};
  }
  RegistryValue Read(const char* name) {
    reg().SetValueKey(FromAnsi(name));
    return reg().Value();
  }
  void Write(const char* name, std::int32_t type, const RegistryValue& value) {
    reg().SetValueKey(FromAnsi(name));
    reg().SetValueType(type);
    reg().SetValue(value);
  }

  clsRegistry& reg() { return *object_; }

 private:
  std::optional<clsRegistry> object_;  // made in SetUp, once the registry is there
};

// The error a call raised, or none.
template <typename Call>
std::optional<RegistryError> Raised(Call call) {
  try {
    call();
  } catch (const RegistryError& error) {
    return error;
  }
  return std::nullopt;
}

TEST_P(RegistryClass, AFreshObjectAddressesNoKey) {
  clsRegistry fresh(*registry_);
  EXPECT_FALSE(fresh.KeyExists());
  EXPECT_EQ(fresh.Value(), RegistryValue{});
  fresh.SetSectionKey(L"a\\b");
  auto error = Raised([&] { fresh.CreateKey(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 26001);
  EXPECT_EQ(error->Description(), L"Failed to create registry Key: 'a\\b");
  EXPECT_NE(error->Source().find(L".cRegistry"), std::wstring::npos);
  EXPECT_EQ(error->Source().find(L".exe"), std::wstring::npos);
}

TEST_P(RegistryClass, AnEmptySectionIsTheRootItself) {
  clsRegistry root(*registry_);
  root.SetClassKey(kClassesRoot);
  EXPECT_TRUE(root.KeyExists());
}

TEST_P(RegistryClass, AFailedReadGivesTheDefaultAndKeepsTheType) {
  reg().SetDefault(std::wstring(L"riserva"));
  reg().SetValueType(kRegBinary);
  EXPECT_EQ(Read("manca"), RegistryValue{std::wstring(L"riserva")});
  reg().SetSectionKey(reg().SectionKey() + L"\\manca");
  EXPECT_EQ(Read(""), RegistryValue{std::wstring(L"riserva")});
  EXPECT_EQ(reg().ValueType(), kRegBinary);
}

TEST_P(RegistryClass, TextsLoseTheirLastByteAndMultiStringsKeepTheirNuls) {
  Store("sz", kRegSz, {'a', 'b', 'c', 0});
  Store("vuoto", kRegSz, {});
  Store("multi", kRegMultiSz, {'a', 0, 'b', 0, 0});
  EXPECT_EQ(Read("sz"), RegistryValue{std::wstring(L"abc")});
  EXPECT_EQ(reg().ValueType(), kRegSz);
  EXPECT_EQ(Read("vuoto"), RegistryValue{std::wstring()});
  EXPECT_EQ(Read("multi"), RegistryValue{std::wstring(L"a\0b\0", 4)});
  EXPECT_EQ(reg().ValueType(), kRegMultiSz);
}

TEST_P(RegistryClass, NumbersAndBigEndianNumbers) {
  Store("dword", kRegDword, {0x0C, 0, 0, 0});
  Store("big", kRegDwordBigEndian, {0, 0, 1, 2});
  EXPECT_EQ(Read("dword"), RegistryValue{std::int32_t{12}});
  EXPECT_EQ(Read("big"), RegistryValue{std::int32_t{258}});
  EXPECT_EQ(reg().ValueType(), kRegDwordBigEndian);
  // Written back with the type the read left: stored as an ordinary DWORD.
  reg().SetValue(std::int32_t{258});
  EXPECT_EQ(Stored("big"), (std::pair<std::uint32_t, ByteArray>{kRegDword, {2, 1, 0, 0}}));
}

TEST_P(RegistryClass, ReadsStayInsideTheirBuffersWhateverTheStoredSize) {
  Store("corto", kRegDword, {0x7F});
  Store("lungo", kRegDword, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  Store("un byte", kRegSz, {'x'});
  Store("dispari", kRegBinary, {1, 2, 3, 4, 5, 6, 7});
  Store("vuoto", kRegDwordBigEndian, {});
  EXPECT_EQ(Read("corto"), RegistryValue{std::int32_t{0x7F}});
  EXPECT_EQ(Read("lungo"), RegistryValue{std::int32_t{0x04030201}});
  EXPECT_EQ(Read("un byte"), RegistryValue{std::wstring()});
  EXPECT_EQ(Read("dispari"), (RegistryValue{ByteArray{1, 2, 3, 4, 5, 6, 7}}));
  EXPECT_EQ(Read("vuoto"), RegistryValue{std::int32_t{0}});
}

TEST_P(RegistryClass, TextWritesChooseExpandableOnlyForAVariable) {
  Write("var", kRegSz, std::wstring(L"%SystemRoot%\\x"));
  Write("uno", kRegExpandSz, std::wstring(L"100%"));
  Write("due", kRegExpandSz, std::wstring(L"a%%b"));
  Write("num", kRegSz, std::int32_t{-5});
  EXPECT_EQ(Stored("var").first, kRegExpandSz);
  EXPECT_EQ(Stored("uno"), (std::pair<std::uint32_t, ByteArray>{kRegSz, {'1', '0', '0', '%', 0}}));
  EXPECT_EQ(Stored("due").first, kRegSz);
  EXPECT_EQ(Stored("num").second, (ByteArray{'-', '5', 0}));
}

TEST_P(RegistryClass, NumbersAndBytesAreStoredOnlyFromTheirKinds) {
  Write("testo", kRegDword, std::wstring(L"12"));
  EXPECT_EQ(Stored("testo").second, ByteArray{});
  Write("corto", kRegDword, std::int16_t{-2});
  EXPECT_EQ(Stored("corto"),
            (std::pair<std::uint32_t, ByteArray>{kRegDword, {0xFE, 0xFF, 0xFF, 0xFF}}));
  Write("bin", kRegBinary, ByteArray{7, 8, 9});
  EXPECT_EQ(Stored("bin"), (std::pair<std::uint32_t, ByteArray>{kRegBinary, {7, 8, 9}}));
  EXPECT_EQ(Read("bin"), (RegistryValue{ByteArray{7, 8, 9}}));
  auto error = Raised([&] { Write("bin", kRegBinary, std::wstring(L"no")); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 26001);
}

TEST_P(RegistryClass, TypesThatStoreNothingFailWithTheWriteText) {
  for (std::int32_t type : {0, 6, 7}) {
    SCOPED_TRACE(type);
    reg().SetSectionKey(FromAnsi(sandboxPath_ + "\\nuova"));
    auto error = Raised([&] { Write("v", type, std::wstring(L"dati")); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), -2147194455);
    EXPECT_EQ(error->Description(), L"Failed to set registry value Key: '-2147483647',Section: '" +
                                        FromAnsi(sandboxPath_) +
                                        L"\\nuova',Key: 'v' to value: 'dati'");
    EXPECT_TRUE(reg().KeyExists());  // the key was created all the same
  }
}

TEST_P(RegistryClass, DeletingKeysAndValuesAndTheirErrors) {
  reg().SetSectionKey(FromAnsi(sandboxPath_ + "\\x\\y"));
  EXPECT_TRUE(reg().CreateKey());
  reg().SetValueType(kRegSz);
  reg().SetValue(std::wstring(L"default"));
  EXPECT_TRUE(reg().DeleteValue());
  auto missingValue = Raised([&] { reg().DeleteValue(); });
  ASSERT_TRUE(missingValue);
  EXPECT_EQ(missingValue->Description(),
            L"Failed to delete registry Key: '-2147483647',Section: '" + reg().SectionKey() +
                L"',Key: '");
  EXPECT_TRUE(reg().DeleteKey());

  clsRegistry classes(*registry_);
  classes.SetClassKey(kClassesRoot);
  classes.SetSectionKey(L"x\\y-corvalinde-manca");
  auto missingKey = Raised([&] { classes.DeleteKey(); });
  ASSERT_TRUE(missingKey);
  EXPECT_EQ(missingKey->Description(),
            L"Failed to delete registry Key: '-2147483648',Section: 'x\\y-corvalinde-manca");
  auto noKey = Raised([&] { classes.DeleteValue(); });
  ASSERT_TRUE(noKey);
  EXPECT_EQ(noKey->Description(),
            L"Failed to open key '-2147483648',Section: 'x\\y-corvalinde-manca' for delete access");
}

TEST_P(RegistryClass, ExpandableTextsComeBackExpanded) {
  Store("vuoto", kRegExpandSz, {0});
  EXPECT_EQ(Read("vuoto"), RegistryValue{std::wstring()});
  Store("resta", kRegExpandSz, {'%', 'N', 'O', 'N', 'E', 'S', 'I', 'S', 'T', 'E', '%', 0});
  EXPECT_EQ(Read("resta"), RegistryValue{std::wstring(L"%NONESISTE%")});
}

TEST_P(RegistryClass, EnumerationsResetAndCountFromOne) {
  NameArray names;
  std::int32_t count = 99;
  reg().SetSectionKey(FromAnsi(sandboxPath_ + "\\manca"));
  EXPECT_TRUE(reg().EnumerateSections(names, count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(names.Empty());
  EXPECT_TRUE(reg().EnumerateValues(names, count));
  EXPECT_EQ(count, 0);

  reg().SetSectionKey(FromAnsi(sandboxPath_));
  for (const char* section : {"x", "y"}) {
    RegistryKey key(*registry_);
    key.Create(sandbox_, section, kKeyAllAccess);
  }
  Store("", kRegSz, {'d', 0});
  Store("a", kRegSz, {'1', 0});
  Store("b", kRegSz, {'2', 0});
  EXPECT_TRUE(reg().EnumerateSections(names, count));
  ASSERT_EQ(count, 2);
  EXPECT_EQ(names(1), L"x");
  EXPECT_EQ(names(2), L"y");
  EXPECT_TRUE(reg().EnumerateValues(names, count));
  ASSERT_EQ(count, 3);
  std::vector<std::wstring> values{names(1), names(2), names(3)};
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (std::vector<std::wstring>{L"", L"a", L"b"}));
  EXPECT_TRUE(reg().EnumerateSections(names, count));  // again: the same, not twice as many
  EXPECT_EQ(count, 2);
  EXPECT_EQ(names.Count(), 2);
}

TEST_P(RegistryClass, ANameOf255CharactersEndsTheSectionListing) {
  for (const std::string& section : {std::string("a"), std::string(255, 'b'), std::string("c")}) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(sandbox_, section, kKeyAllAccess), kRegSuccess) << section.size();
  }
  NameArray names;
  std::int32_t count = 0;
  EXPECT_TRUE(reg().EnumerateSections(names, count));
  ASSERT_EQ(count, 1);
  EXPECT_EQ(names(1), L"a");
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryClass, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);

TEST(RegistryValueText, EveryKindAsText) {
  EXPECT_EQ(ToText(RegistryValue{}), L"");
  EXPECT_EQ(ToText(std::wstring(L"abc")), L"abc");
  EXPECT_EQ(ToText(std::int16_t{-3}), L"-3");
  EXPECT_EQ(ToText(std::int32_t{258}), L"258");
  EXPECT_EQ(ToText(1.5), L"1.5");
  EXPECT_EQ(ToText(true), L"True");
  EXPECT_EQ(ToText(ByteArray{0, 0x0A, 0xFF}), L"00 0A FF");
}

}  // namespace
}  // namespace corvalinde::testing
