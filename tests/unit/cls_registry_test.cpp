// clsRegistry against every registry backend: the typed reads and writes, their errors, and
// reads of values whose stored size does not fit their type.
#include "registry/cls_registry.h"

#include "platform/registry_key.h"
#include "platform/registry_text.h"
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
    reg().SetSectionKey(sandboxPath_);
  }
  // Stores exactly these bytes under the sandbox, as another program might have.
  void Store(std::wstring_view name, std::uint32_t type, const ByteArray& bytes) {
    ASSERT_EQ(registry_->SetValue(sandbox_, name, type, bytes.data(),
                                  static_cast<std::uint32_t>(bytes.size())),
              kRegSuccess);
  }
  std::pair<std::uint32_t, ByteArray> Stored(std::wstring_view name) {
    std::uint32_t type = 0, size = 0;
    if (registry_->QueryValue(sandbox_, name, &type, nullptr, &size) != kRegSuccess) return {};
    ByteArray data(size);
    registry_->QueryValue(sandbox_, name, &type, data.data(), &size);
    return {type, data};
  }
  RegistryValue Read(const wchar_t* name) {
    reg().SetValueKey(name);
    return reg().Value();
  }
  void Write(const wchar_t* name, std::int32_t type, const RegistryValue& value) {
    reg().SetValueKey(name);
    reg().SetValueType(type);
    reg().SetValue(value);
  }

  clsRegistry& reg() { return *object_; }

 private:
  std::optional<clsRegistry> object_;  // made in SetUp, once the registry is there
};

// A text's UTF-16LE bytes as they are, with no NUL added (put one in the text to store it).
ByteArray Utf16(std::wstring_view text) {
  ByteArray bytes = ToRegistryText(text);
  bytes.resize(bytes.size() - 2);
  return bytes;
}

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
  EXPECT_EQ(Read(L"manca"), RegistryValue{std::wstring(L"riserva")});
  reg().SetSectionKey(reg().SectionKey() + L"\\manca");
  EXPECT_EQ(Read(L""), RegistryValue{std::wstring(L"riserva")});
  EXPECT_EQ(reg().ValueType(), kRegBinary);
}

TEST_P(RegistryClass, TextsLoseTheirNulAndMultiStringsKeepTheInnerOnes) {
  Store(L"sz", kRegSz, Utf16({L"abc\0", 4}));
  Store(L"senza", kRegSz, Utf16(L"abc"));  // written without its NUL by another program
  Store(L"vuoto", kRegSz, {});
  Store(L"multi", kRegMultiSz, Utf16({L"a\0b\0\0", 5}));
  Store(L"cirillico", kRegSz, Utf16({L"\x0414\x0430\0", 3}));
  EXPECT_EQ(Read(L"sz"), RegistryValue{std::wstring(L"abc")});
  EXPECT_EQ(reg().ValueType(), kRegSz);
  EXPECT_EQ(Read(L"senza"), RegistryValue{std::wstring(L"abc")});
  EXPECT_EQ(Read(L"cirillico"), RegistryValue{std::wstring(L"\x0414\x0430")});
  EXPECT_EQ(Read(L"vuoto"), RegistryValue{std::wstring()});
  EXPECT_EQ(Read(L"multi"), RegistryValue{std::wstring(L"a\0b\0", 4)});
  EXPECT_EQ(reg().ValueType(), kRegMultiSz);
}

// Past the first read's 256 bytes, a value is asked for again and comes back whole.
TEST_P(RegistryClass, AValueLongerThanTheFirstReadComesBackWhole) {
  const std::wstring path = L"C:\\" + std::wstring(600, L'p') + L"\\modulo.dll";
  Store(L"lungo", kRegSz, ToRegistryText(path));
  EXPECT_EQ(Read(L"lungo"), RegistryValue{path});
}

TEST_P(RegistryClass, NumbersAndBigEndianNumbers) {
  Store(L"dword", kRegDword, {0x0C, 0, 0, 0});
  Store(L"big", kRegDwordBigEndian, {0, 0, 1, 2});
  EXPECT_EQ(Read(L"dword"), RegistryValue{std::int32_t{12}});
  EXPECT_EQ(Read(L"big"), RegistryValue{std::int32_t{258}});
  EXPECT_EQ(reg().ValueType(), kRegDwordBigEndian);
  // Written back with the type the read left: stored as an ordinary DWORD.
  reg().SetValue(std::int32_t{258});
  EXPECT_EQ(Stored(L"big"), (std::pair<std::uint32_t, ByteArray>{kRegDword, {2, 1, 0, 0}}));
}

TEST_P(RegistryClass, ReadsStayInsideTheirBuffersWhateverTheStoredSize) {
  Store(L"corto", kRegDword, {0x7F});
  Store(L"lungo", kRegDword, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  Store(L"un byte", kRegSz, {'x'});
  Store(L"tre byte", kRegSz, {'x', 0, 'y'});
  Store(L"dispari", kRegBinary, {1, 2, 3, 4, 5, 6, 7});
  Store(L"vuoto", kRegDwordBigEndian, {});
  EXPECT_EQ(Read(L"corto"), RegistryValue{std::int32_t{0x7F}});
  EXPECT_EQ(Read(L"lungo"), RegistryValue{std::int32_t{0x04030201}});
  EXPECT_EQ(Read(L"un byte"), RegistryValue{std::wstring()});
  EXPECT_EQ(Read(L"tre byte"), RegistryValue{std::wstring(L"x")});
  EXPECT_EQ(Read(L"dispari"), (RegistryValue{ByteArray{1, 2, 3, 4, 5, 6, 7}}));
  EXPECT_EQ(Read(L"vuoto"), RegistryValue{std::int32_t{0}});
}

TEST_P(RegistryClass, TextWritesChooseExpandableOnlyForAVariable) {
  Write(L"var", kRegSz, std::wstring(L"%SystemRoot%\\x"));
  Write(L"uno", kRegExpandSz, std::wstring(L"100%"));
  Write(L"due", kRegExpandSz, std::wstring(L"a%%b"));
  Write(L"num", kRegSz, std::int32_t{-5});
  EXPECT_EQ(Stored(L"var").first, kRegExpandSz);
  EXPECT_EQ(Stored(L"uno"), (std::pair<std::uint32_t, ByteArray>{kRegSz, ToRegistryText(L"100%")}));
  EXPECT_EQ(Stored(L"due").first, kRegSz);
  EXPECT_EQ(Stored(L"num").second, ToRegistryText(L"-5"));
}

TEST_P(RegistryClass, NumbersAndBytesAreStoredOnlyFromTheirKinds) {
  Write(L"testo", kRegDword, std::wstring(L"12"));
  EXPECT_EQ(Stored(L"testo").second, ByteArray{});
  Write(L"corto", kRegDword, std::int16_t{-2});
  EXPECT_EQ(Stored(L"corto"),
            (std::pair<std::uint32_t, ByteArray>{kRegDword, {0xFE, 0xFF, 0xFF, 0xFF}}));
  Write(L"bin", kRegBinary, ByteArray{7, 8, 9});
  EXPECT_EQ(Stored(L"bin"), (std::pair<std::uint32_t, ByteArray>{kRegBinary, {7, 8, 9}}));
  EXPECT_EQ(Read(L"bin"), (RegistryValue{ByteArray{7, 8, 9}}));
  auto error = Raised([&] { Write(L"bin", kRegBinary, std::wstring(L"no")); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 26001);
}

TEST_P(RegistryClass, TypesThatStoreNothingFailWithTheWriteText) {
  for (std::int32_t type : {0, 6, 7}) {
    SCOPED_TRACE(type);
    reg().SetSectionKey(sandboxPath_ + L"\\nuova");
    auto error = Raised([&] { Write(L"v", type, std::wstring(L"dati")); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), -2147194455);
    EXPECT_EQ(error->Description(), L"Failed to set registry value Key: '-2147483647',Section: '" +
                                        sandboxPath_ + L"\\nuova',Key: 'v' to value: 'dati'");
    EXPECT_TRUE(reg().KeyExists());  // the key was created all the same
  }
}

TEST_P(RegistryClass, DeletingKeysAndValuesAndTheirErrors) {
  reg().SetSectionKey(sandboxPath_ + L"\\x\\y");
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
  Store(L"vuoto", kRegExpandSz, {0});
  EXPECT_EQ(Read(L"vuoto"), RegistryValue{std::wstring()});
  Store(L"resta", kRegExpandSz, ToRegistryText(L"%NONESISTE%"));
  EXPECT_EQ(Read(L"resta"), RegistryValue{std::wstring(L"%NONESISTE%")});
}

TEST_P(RegistryClass, EnumerationsResetAndCountFromOne) {
  NameArray names;
  std::int32_t count = 99;
  reg().SetSectionKey(sandboxPath_ + L"\\manca");
  EXPECT_TRUE(reg().EnumerateSections(names, count));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(names.Empty());
  EXPECT_TRUE(reg().EnumerateValues(names, count));
  EXPECT_EQ(count, 0);

  reg().SetSectionKey(sandboxPath_);
  for (const wchar_t* section : {L"x", L"y"}) {
    RegistryKey key(*registry_);
    key.Create(sandbox_, section, kKeyAllAccess);
  }
  Store(L"", kRegSz, {'d', 0});
  Store(L"a", kRegSz, {'1', 0});
  Store(L"b", kRegSz, {'2', 0});
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

TEST_P(RegistryClass, NamesOfEveryAllowedLengthAreListedWhole) {
  const std::wstring longest(kMaxKeyNameLength, L'b');
  for (const std::wstring& section : {std::wstring(L"a"), longest, std::wstring(L"c")}) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(sandbox_, section, kKeyAllAccess), kRegSuccess) << section.size();
  }
  const std::wstring longValue(2000, L'v');
  Store(L"corto", kRegSz, {});
  Store(longValue, kRegSz, {});
  NameArray names;
  std::int32_t count = 0;
  EXPECT_TRUE(reg().EnumerateSections(names, count));
  ASSERT_EQ(count, 3);
  EXPECT_EQ(names(2), longest);
  EXPECT_TRUE(reg().EnumerateValues(names, count));
  ASSERT_EQ(count, 2);
  EXPECT_TRUE(names(1) == longValue || names(2) == longValue);
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
