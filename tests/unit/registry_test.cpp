// What the program relies on from the registry, checked against every backend: under Wine the
// in-memory registry is held to what the real one does.
#include <algorithm>
#include <cstring>

#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registry_backends.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace corvalinde::testing {
namespace {

using namespace platform;

class RegistryBehaviour : public RegistryTest {
 protected:
  std::int32_t SetString(RegKey key, std::wstring_view name, std::wstring_view text) {
    std::vector<std::uint8_t> bytes = ToRegistryText(text);
    return registry_->SetValue(key, name, kRegSz, bytes.data(),
                               static_cast<std::uint32_t>(bytes.size()));
  }
  std::vector<std::wstring> SubKeys(RegKey key) { return SubKeyNames(*registry_, key); }
  std::vector<std::wstring> ValueNames(RegKey key) {
    std::vector<std::wstring> names;
    for (std::uint32_t i = 0;; ++i) {
      wchar_t name[256];
      std::uint32_t size = std::size(name);
      if (registry_->EnumValue(key, i, name, &size) != 0) break;
      names.emplace_back(name, size);
    }
    return names;
  }
};

TEST_P(RegistryBehaviour, CreateMakesTheWholePathAndOpenFindsItInAnyCase) {
  RegistryKey created(*registry_);
  ASSERT_EQ(created.Create(sandbox_, L"uno\\Due\\tre", kKeyAllAccess), kRegSuccess);
  RegistryKey opened(*registry_);
  EXPECT_EQ(opened.Open(sandbox_, L"UNO\\due\\TRE", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(opened.Open(sandbox_, L"uno\\manca", kKeyQueryValue), kRegNotFound);
  EXPECT_FALSE(opened);
  // An empty path opens the key itself.
  EXPECT_EQ(opened.Open(sandbox_, L"", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(SubKeys(sandbox_), std::vector<std::wstring>{L"uno"});
}

TEST_P(RegistryBehaviour, SubKeysEnumerateSortedWithoutRegardToCase) {
  for (const wchar_t* name : {L"beta", L"Alfa", L"gamma", L"Delta"}) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(sandbox_, name, kKeyAllAccess), kRegSuccess);
  }
  EXPECT_EQ(SubKeys(sandbox_), (std::vector<std::wstring>{L"Alfa", L"beta", L"Delta", L"gamma"}));
}

TEST_P(RegistryBehaviour, NamesSortAsUpperCase) {
  if (GetParam().isSystem && RunningOnWine()) {
    GTEST_SKIP() << "Wine sorts key names lower-cased, so \"_\" comes before letters there; "
                    "Windows compares them upper-cased";
  }
  for (const wchar_t* name : {L"_x", L"Alfa", L"zeta"}) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(sandbox_, name, kKeyAllAccess), kRegSuccess);
  }
  EXPECT_EQ(SubKeys(sandbox_), (std::vector<std::wstring>{L"Alfa", L"zeta", L"_x"}));
}

TEST_P(RegistryBehaviour, ValuesEnumerateInTheOrderFirstSet) {
  if (GetParam().isSystem && RunningOnWine()) {
    GTEST_SKIP() << "Wine keeps a key's values sorted by name; Windows keeps them in the order "
                    "they were first set";
  }
  for (const wchar_t* name : {L"zeta", L"", L"alfa", L"Mu"}) {
    ASSERT_EQ(SetString(sandbox_, name, L"x"), kRegSuccess);
  }
  ASSERT_EQ(SetString(sandbox_, L"ZETA", L"replaced"), kRegSuccess);
  EXPECT_EQ(ValueNames(sandbox_), (std::vector<std::wstring>{L"zeta", L"", L"alfa", L"Mu"}));
}

TEST_P(RegistryBehaviour, QueryGivesTypeAndSizeThenTheData) {
  ASSERT_EQ(SetString(sandbox_, L"nome", L"abc"), kRegSuccess);
  std::uint32_t type = 99, size = 0;
  EXPECT_EQ(registry_->QueryValue(sandbox_, L"NOME", &type, nullptr, &size), kRegSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 8u);  // UTF-16 and its NUL
  std::uint8_t small[2];
  size = sizeof small;
  EXPECT_EQ(registry_->QueryValue(sandbox_, L"nome", &type, small, &size), kRegMoreData);
  EXPECT_EQ(size, 8u);
  std::uint8_t data[16] = {};
  size = sizeof data;
  EXPECT_EQ(registry_->QueryValue(sandbox_, L"nome", &type, data, &size), kRegSuccess);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(FromRegistryText(data, size), L"abc");
  EXPECT_EQ(registry_->QueryValue(sandbox_, L"manca", &type, data, &size), kRegNotFound);
  // Binary data is taken as counted.
  const std::uint8_t bytes[] = {1, 2, 3, 0};
  ASSERT_EQ(registry_->SetValue(sandbox_, L"bin", kRegBinary, bytes, 3), kRegSuccess);
  EXPECT_EQ(registry_->QueryValue(sandbox_, L"bin", &type, nullptr, &size), kRegSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(type, kRegBinary);

  // Listed with its data: what fits comes whole; a name or data too long for the buffers
  // says so, to be read by name (in whatever order the backend lists them).
  const std::vector<std::uint8_t> large(100, 7);
  ASSERT_EQ(registry_->SetValue(sandbox_, L"grande", kRegBinary, large.data(), 100), kRegSuccess);
  ASSERT_EQ(SetString(sandbox_, L"un nome lungo", L"x"), kRegSuccess);
  std::vector<std::wstring> whole;
  int tooLong = 0;
  for (std::uint32_t index = 0; index < 4; ++index) {
    wchar_t name[8];
    std::uint32_t nameSize = std::size(name);
    size = sizeof data;
    std::int32_t status =
        registry_->EnumValueData(sandbox_, index, name, &nameSize, &type, data, &size);
    tooLong += status == kRegMoreData;
    if (status == kRegSuccess) {
      whole.push_back(std::wstring(name, nameSize) + L"=" + std::to_wstring(type) + L":" +
                      std::to_wstring(size));
    }
  }
  std::sort(whole.begin(), whole.end());
  EXPECT_EQ(whole, (std::vector<std::wstring>{L"bin=3:3", L"nome=1:8"}));
  EXPECT_EQ(tooLong, 2);
}

// A name cut at a NUL would be another key's name: "exefile\0x" must never reach "exefile".
TEST_P(RegistryBehaviour, PathsAndNamesHoldingANulAreRefusedNotCut) {
  RegistryKey victim(*registry_);
  ASSERT_EQ(victim.Create(sandbox_, L"vittima", kKeyAllAccess), kRegSuccess);
  ASSERT_EQ(SetString(victim.get(), L"v", L"intatto"), kRegSuccess);
  const std::wstring cut(L"vittima\0\\shell", 13);
  RegistryKey key(*registry_);
  EXPECT_EQ(key.Create(sandbox_, cut, kKeyAllAccess), kRegInvalidParameter);
  EXPECT_EQ(key.Open(sandbox_, cut, kKeyAllAccess), kRegInvalidParameter);
  EXPECT_EQ(registry_->DeleteKey(sandbox_, std::wstring(L"vittima\0x", 9)), kRegInvalidParameter);
  const std::wstring name(L"v\0x", 3);
  EXPECT_EQ(SetString(victim.get(), name, L"cambiato"), kRegInvalidParameter);
  EXPECT_EQ(registry_->DeleteValue(victim.get(), name), kRegInvalidParameter);
  EXPECT_EQ(ReadText(*registry_, sandbox_, L"vittima", L"v").text, L"intatto");
  EXPECT_EQ(SubKeys(victim.get()), std::vector<std::wstring>{});
}

TEST_P(RegistryBehaviour, EnumerationEndsAndSaysWhenANameDoesNotFit) {
  RegistryKey child(*registry_);
  ASSERT_EQ(child.Create(sandbox_, L"abcdef", kKeyAllAccess), kRegSuccess);
  wchar_t name[8];
  std::uint32_t size = 6;
  EXPECT_EQ(registry_->EnumKey(sandbox_, 0, name, &size), kRegMoreData);
  size = 7;
  EXPECT_EQ(registry_->EnumKey(sandbox_, 0, name, &size), kRegSuccess);
  EXPECT_EQ(std::wstring(name, size), L"abcdef");
  size = 7;
  EXPECT_EQ(registry_->EnumKey(sandbox_, 1, name, &size), kRegNoMoreItems);

  ASSERT_EQ(SetString(sandbox_, L"lungo", L"x"), kRegSuccess);
  RegKeyInfo info;
  EXPECT_EQ(registry_->QueryInfoKey(sandbox_, info), kRegSuccess);
  EXPECT_EQ(info.longestValueName, 5u);
  EXPECT_EQ(info.longestSubKeyName, 6u);
  EXPECT_EQ(info.subKeys, 1u);
  size = 5;
  EXPECT_EQ(registry_->EnumValue(sandbox_, 0, name, &size), kRegMoreData);
  size = 6;
  EXPECT_EQ(registry_->EnumValue(sandbox_, 0, name, &size), kRegSuccess);
  EXPECT_EQ(size, 5u);
  size = 6;
  EXPECT_EQ(registry_->EnumValue(sandbox_, 1, name, &size), kRegNoMoreItems);
  ASSERT_EQ(SetString(sandbox_, L"", L"x"), kRegSuccess);
  EXPECT_EQ(registry_->QueryInfoKey(sandbox_, info), kRegSuccess);
  EXPECT_EQ(info.longestValueName, 5u);
}

// Names in any script, and of the longest length Windows allows, come back as they went in.
TEST_P(RegistryBehaviour, AnyLettersAndTheLongestNamesRoundTrip) {
  const std::wstring longest(kMaxKeyNameLength, L'k');
  const std::wstring cyrillic = L"\x041f\x0440\x043e\x0433\x0440\x0430\x043c\x043c\x044b";
  for (const std::wstring& name : {longest, cyrillic}) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(sandbox_, name, kKeyAllAccess), kRegSuccess);
    ASSERT_EQ(SetString(key.get(), name, name), kRegSuccess);
  }
  // Found again in the other letter case.
  EXPECT_EQ(ReadText(*registry_, sandbox_,
                     L"\x043f\x0420\x041e\x0433\x0440\x0430\x043c\x043c\x044b", cyrillic)
                .text,
            cyrillic);
  std::vector<std::wstring> names = SubKeys(sandbox_);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{longest, cyrillic}));
}

TEST_P(RegistryBehaviour, DeletingRefusesKeysWithSubKeysAndMissingThings) {
  RegistryKey created(*registry_);
  ASSERT_EQ(created.Create(sandbox_, L"padre\\figlio", kKeyAllAccess), kRegSuccess);
  created.Close();
  EXPECT_EQ(registry_->DeleteKey(sandbox_, L"padre"), kRegAccessDenied);
  EXPECT_EQ(registry_->DeleteKey(sandbox_, L"padre\\manca"), kRegNotFound);
  EXPECT_EQ(registry_->DeleteValue(sandbox_, L"manca"), kRegNotFound);
  EXPECT_EQ(registry_->DeleteKey(sandbox_, L"PADRE\\Figlio"), kRegSuccess);
  EXPECT_EQ(registry_->DeleteKey(sandbox_, L"padre"), kRegSuccess);
  EXPECT_TRUE(SubKeys(sandbox_).empty());
}

TEST_P(RegistryBehaviour, AHandleToADeletedKeyFails) {
  RegistryKey key(*registry_);
  ASSERT_EQ(key.Create(sandbox_, L"via", kKeyAllAccess), kRegSuccess);
  ASSERT_EQ(registry_->DeleteKey(sandbox_, L"via"), kRegSuccess);
  EXPECT_EQ(SetString(key.get(), L"x", L"y"), kRegKeyDeleted);
}

TEST_P(RegistryBehaviour, HandlesAreCheckedAgainstTheirRights) {
  RegistryKey readOnly(*registry_);
  ASSERT_EQ(readOnly.Open(sandbox_, L"", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(SetString(readOnly.get(), L"x", L"y"), kRegAccessDenied);
  wchar_t name[16];
  std::uint32_t size = std::size(name);
  EXPECT_EQ(registry_->EnumKey(readOnly.get(), 0, name, &size), kRegAccessDenied);
}

TEST_P(RegistryBehaviour, NoKeyIsAnInvalidHandle) {
  RegKey key = 0;
  EXPECT_EQ(registry_->OpenKey(0, L"Software", kKeyQueryValue, key), kRegInvalidHandle);
  EXPECT_EQ(key, 0);
}

TEST_P(RegistryBehaviour, ExpandingReplacesKnownVariablesAndKeepsTheRest) {
  if (GetParam().isSystem) {
#ifdef _WIN32
    SetEnvironmentVariableA("CORVALINDE_PROVA", "valore");
#endif
  } else {
    static_cast<inmemory::MemoryRegistry&>(*registry_)
        .DefineEnvironmentVariable(L"corvalinde_prova", L"valore");
  }
  const wchar_t* source = L"a%CORVALINDE_PROVA%b%NON_DEFINITA%c%";
  std::uint32_t needed = registry_->ExpandEnvironment(source, nullptr, 0);
  std::wstring expected = L"avaloreb%NON_DEFINITA%c%";
  EXPECT_EQ(needed, expected.size() + 1);
  std::vector<wchar_t> buffer(needed);
  EXPECT_EQ(registry_->ExpandEnvironment(source, buffer.data(), needed), needed);
  EXPECT_EQ(std::wstring(buffer.data()), expected);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryBehaviour, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);

// HKEY_CLASSES_ROOT as Windows shows it: the user's classes over the machine's.
class ClassesRootView : public RegistryTest {
 protected:
  void TearDown() override {
    for (RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
      DeleteTree(*registry_, root, L"Software\\Classes\\CorvalindeVista");
    }
    RegistryTest::TearDown();
  }
  bool Unmerged() const { return GetParam().isSystem && RunningOnWine(); }
  void Put(RegKey root, const std::wstring& path, const std::wstring& text) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(root, L"Software\\Classes\\CorvalindeVista" + path, kKeyAllAccess),
              kRegSuccess);
    std::vector<std::uint8_t> bytes = ToRegistryText(text);
    ASSERT_EQ(registry_->SetValue(key.get(), L"", kRegSz, bytes.data(),
                                  static_cast<std::uint32_t>(bytes.size())),
              kRegSuccess);
  }
  std::wstring Seen(const std::wstring& path) {
    return ReadText(*registry_, kHkeyClassesRoot, L"CorvalindeVista" + path).text;
  }
};

TEST_P(ClassesRootView, ANewKeyGoesToTheMachinesClasses) {
  RegistryKey key(*registry_);
  ASSERT_EQ(key.Create(kHkeyClassesRoot, L"CorvalindeVista\\nuova", kKeyAllAccess), kRegSuccess);
  EXPECT_EQ(
      ReadText(*registry_, kHkeyLocalMachine, L"Software\\Classes\\CorvalindeVista\\nuova").text,
      L"(none)");
  EXPECT_EQ(ReadText(*registry_, kHkeyCurrentUser, L"Software\\Classes\\CorvalindeVista").text,
            L"(no key)");
}

TEST_P(ClassesRootView, TheUsersKeysShowThroughAndWinAndListingsNameEachOnce) {
  if (Unmerged()) {
    GTEST_SKIP() << "Wine's HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\\Software\\Classes alone; "
                    "Windows merges the user's classes into it";
  }
  Put(kHkeyLocalMachine, L"", L"macchina");
  Put(kHkeyLocalMachine, L"\\solo macchina", L"m");
  Put(kHkeyLocalMachine, L"\\entrambe", L"m");
  Put(kHkeyCurrentUser, L"\\Entrambe", L"u");
  Put(kHkeyCurrentUser, L"\\solo utente", L"u");
  // The key is in both: its values are the user's key's; values are not merged.
  EXPECT_EQ(Seen(L""), L"(none)");
  EXPECT_EQ(Seen(L"\\ENTRAMBE"), L"u");
  EXPECT_EQ(Seen(L"\\solo utente"), L"u");
  RegistryKey key(*registry_);
  ASSERT_EQ(key.Open(kHkeyClassesRoot, L"CorvalindeVista", kKeyRead), kRegSuccess);
  std::vector<std::wstring> names = SubKeyNames(*registry_, key.get());
  EXPECT_EQ(names.size(), 3u) << ::testing::PrintToString(names);
  // Written through HKEY_CLASSES_ROOT, a key in both is the user's.
  RegistryKey both(*registry_);
  ASSERT_EQ(both.Create(kHkeyClassesRoot, L"CorvalindeVista\\entrambe", kKeyAllAccess),
            kRegSuccess);
  std::vector<std::uint8_t> bytes = ToRegistryText(L"nuovo");
  registry_->SetValue(both.get(), L"", kRegSz, bytes.data(),
                      static_cast<std::uint32_t>(bytes.size()));
  EXPECT_EQ(
      ReadText(*registry_, kHkeyCurrentUser, L"Software\\Classes\\CorvalindeVista\\Entrambe").text,
      L"nuovo");
  EXPECT_EQ(
      ReadText(*registry_, kHkeyLocalMachine, L"Software\\Classes\\CorvalindeVista\\entrambe").text,
      L"m");
}

INSTANTIATE_TEST_SUITE_P(Backends, ClassesRootView, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);

TEST(MemoryRegistryOnly, AStandardUsersClassesRootRefusesNewKeysAndKeepsTheUsers) {
  inmemory::MemoryRegistry registry;
  registry.SetReadOnly(kHkeyLocalMachine, true);
  RegistryKey key(registry);
  EXPECT_EQ(key.Create(kHkeyClassesRoot, L"nuova", kKeyAllAccess), kRegAccessDenied);
  ASSERT_EQ(key.Create(kHkeyCurrentUser, L"Software\\Classes\\mia", kKeyAllAccess), kRegSuccess);
  EXPECT_EQ(key.Create(kHkeyClassesRoot, L"mia\\sotto", kKeyAllAccess), kRegSuccess);
  EXPECT_EQ(ReadText(registry, kHkeyCurrentUser, L"Software\\Classes\\mia\\sotto").text, L"(none)");
}

TEST(MemoryRegistryOnly, ReadOnlyRootsRefuseChangesButAllowReading) {
  inmemory::MemoryRegistry registry;
  RegistryKey key(registry);
  ASSERT_EQ(key.Create(kHkeyLocalMachine, L"SOFTWARE\\Microsoft", kKeyAllAccess), kRegSuccess);
  key.Close();
  registry.SetReadOnly(kHkeyLocalMachine, true);
  EXPECT_EQ(key.Create(kHkeyLocalMachine, L"SOFTWARE\\Microsoft\\Nuova", kKeyAllAccess),
            kRegAccessDenied);
  EXPECT_EQ(key.Open(kHkeyLocalMachine, L"SOFTWARE\\Microsoft", kKeyAllAccess), kRegAccessDenied);
  EXPECT_EQ(key.Open(kHkeyLocalMachine, L"SOFTWARE\\Microsoft", kKeyRead), kRegSuccess);
  EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, L"SOFTWARE\\Microsoft"), kRegAccessDenied);
}

}  // namespace
}  // namespace corvalinde::testing
