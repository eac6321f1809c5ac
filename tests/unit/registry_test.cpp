// What the program relies on from the registry, checked against every backend: under Wine the
// in-memory registry is held to what the real one does.
#include <cstring>

#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
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
  std::int32_t SetString(RegKey key, const char* name, const std::string& text, bool withNul) {
    return registry_->SetValue(key, name, kRegSz,
                               reinterpret_cast<const std::uint8_t*>(text.c_str()),
                               static_cast<std::uint32_t>(text.size() + (withNul ? 1 : 0)));
  }
  std::vector<std::string> SubKeys(RegKey key) {
    std::vector<std::string> names;
    char name[256];
    for (std::uint32_t i = 0; registry_->EnumKey(key, i, name, sizeof name) == 0; ++i) {
      names.push_back(name);
    }
    return names;
  }
  std::vector<std::string> ValueNames(RegKey key) {
    std::vector<std::string> names;
    for (std::uint32_t i = 0;; ++i) {
      char name[256];
      std::uint32_t size = sizeof name;
      if (registry_->EnumValue(key, i, name, &size) != 0) break;
      names.emplace_back(name, size);
    }
    return names;
  }
};

TEST_P(RegistryBehaviour, CreateMakesTheWholePathAndOpenFindsItInAnyCase) {
  RegistryKey created(*registry_);
  ASSERT_EQ(created.Create(sandbox_, "uno\\Due\\tre", kKeyAllAccess), kRegSuccess);
  RegistryKey opened(*registry_);
  EXPECT_EQ(opened.Open(sandbox_, "UNO\\due\\TRE", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(opened.Open(sandbox_, "uno\\manca", kKeyQueryValue), kRegNotFound);
  EXPECT_FALSE(opened);
  // An empty path opens the key itself.
  EXPECT_EQ(opened.Open(sandbox_, "", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(SubKeys(sandbox_), std::vector<std::string>{"uno"});
}

TEST_P(RegistryBehaviour, SubKeysEnumerateSortedWithoutRegardToCase) {
  for (const char* name : {"beta", "Alfa", "gamma", "Delta"}) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(sandbox_, name, kKeyAllAccess), kRegSuccess);
  }
  EXPECT_EQ(SubKeys(sandbox_), (std::vector<std::string>{"Alfa", "beta", "Delta", "gamma"}));
}

TEST_P(RegistryBehaviour, NamesSortAsUpperCase) {
  if (GetParam().isSystem && RunningOnWine()) {
    GTEST_SKIP() << "Wine sorts key names lower-cased, so \"_\" comes before letters there; "
                    "Windows compares them upper-cased";
  }
  for (const char* name : {"_x", "Alfa", "zeta"}) {
    RegistryKey key(*registry_);
    ASSERT_EQ(key.Create(sandbox_, name, kKeyAllAccess), kRegSuccess);
  }
  EXPECT_EQ(SubKeys(sandbox_), (std::vector<std::string>{"Alfa", "zeta", "_x"}));
}

TEST_P(RegistryBehaviour, ValuesEnumerateInTheOrderFirstSet) {
  if (GetParam().isSystem && RunningOnWine()) {
    GTEST_SKIP() << "Wine keeps a key's values sorted by name; Windows keeps them in the order "
                    "they were first set";
  }
  for (const char* name : {"zeta", "", "alfa", "Mu"}) {
    ASSERT_EQ(SetString(sandbox_, name, "x", true), kRegSuccess);
  }
  ASSERT_EQ(SetString(sandbox_, "ZETA", "replaced", true), kRegSuccess);
  EXPECT_EQ(ValueNames(sandbox_), (std::vector<std::string>{"zeta", "", "alfa", "Mu"}));
}

TEST_P(RegistryBehaviour, QueryGivesTypeAndSizeThenTheData) {
  ASSERT_EQ(SetString(sandbox_, "nome", "abc", true), kRegSuccess);
  std::uint32_t type = 99, size = 0;
  EXPECT_EQ(registry_->QueryValue(sandbox_, "NOME", &type, nullptr, &size), kRegSuccess);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 4u);
  std::uint8_t small[2];
  size = sizeof small;
  EXPECT_EQ(registry_->QueryValue(sandbox_, "nome", &type, small, &size), kRegMoreData);
  EXPECT_EQ(size, 4u);
  std::uint8_t data[8] = {};
  size = sizeof data;
  EXPECT_EQ(registry_->QueryValue(sandbox_, "nome", &type, data, &size), kRegSuccess);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "abc");
  EXPECT_EQ(registry_->QueryValue(sandbox_, "manca", &type, data, &size), kRegNotFound);
}

TEST_P(RegistryBehaviour, AStringWrittenWithoutItsNulIsStoredWithIt) {
  ASSERT_EQ(SetString(sandbox_, nullptr, "abc", false), kRegSuccess);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(registry_->QueryValue(sandbox_, "", &type, nullptr, &size), kRegSuccess);
  EXPECT_EQ(size, 4u);
  // Binary data is taken as counted.
  const std::uint8_t bytes[] = {1, 2, 3, 0};
  ASSERT_EQ(registry_->SetValue(sandbox_, "bin", kRegBinary, bytes, 3), kRegSuccess);
  EXPECT_EQ(registry_->QueryValue(sandbox_, "bin", &type, nullptr, &size), kRegSuccess);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(type, kRegBinary);
}

TEST_P(RegistryBehaviour, EnumerationEndsAndSaysWhenANameDoesNotFit) {
  RegistryKey child(*registry_);
  ASSERT_EQ(child.Create(sandbox_, "abcdef", kKeyAllAccess), kRegSuccess);
  char name[8];
  EXPECT_EQ(registry_->EnumKey(sandbox_, 0, name, 6), kRegMoreData);
  EXPECT_EQ(registry_->EnumKey(sandbox_, 0, name, 7), kRegSuccess);
  EXPECT_STREQ(name, "abcdef");
  EXPECT_EQ(registry_->EnumKey(sandbox_, 1, name, 7), kRegNoMoreItems);

  ASSERT_EQ(SetString(sandbox_, "lungo", "x", true), kRegSuccess);
  std::uint32_t longest = 0;
  EXPECT_EQ(registry_->QueryInfoKey(sandbox_, &longest), kRegSuccess);
  EXPECT_EQ(longest, 5u);
  std::uint32_t size = 5;
  EXPECT_EQ(registry_->EnumValue(sandbox_, 0, name, &size), kRegMoreData);
  size = 6;
  EXPECT_EQ(registry_->EnumValue(sandbox_, 0, name, &size), kRegSuccess);
  EXPECT_EQ(size, 5u);
  size = 6;
  EXPECT_EQ(registry_->EnumValue(sandbox_, 1, name, &size), kRegNoMoreItems);
  ASSERT_EQ(SetString(sandbox_, "", "x", true), kRegSuccess);
  EXPECT_EQ(registry_->QueryInfoKey(sandbox_, &longest), kRegSuccess);
  EXPECT_EQ(longest, 5u);
}

TEST_P(RegistryBehaviour, DeletingRefusesKeysWithSubKeysAndMissingThings) {
  RegistryKey created(*registry_);
  ASSERT_EQ(created.Create(sandbox_, "padre\\figlio", kKeyAllAccess), kRegSuccess);
  created.Close();
  EXPECT_EQ(registry_->DeleteKey(sandbox_, "padre"), kRegAccessDenied);
  EXPECT_EQ(registry_->DeleteKey(sandbox_, "padre\\manca"), kRegNotFound);
  EXPECT_EQ(registry_->DeleteValue(sandbox_, "manca"), kRegNotFound);
  EXPECT_EQ(registry_->DeleteKey(sandbox_, "PADRE\\Figlio"), kRegSuccess);
  EXPECT_EQ(registry_->DeleteKey(sandbox_, "padre"), kRegSuccess);
  EXPECT_TRUE(SubKeys(sandbox_).empty());
}

TEST_P(RegistryBehaviour, AHandleToADeletedKeyFails) {
  RegistryKey key(*registry_);
  ASSERT_EQ(key.Create(sandbox_, "via", kKeyAllAccess), kRegSuccess);
  ASSERT_EQ(registry_->DeleteKey(sandbox_, "via"), kRegSuccess);
  EXPECT_EQ(SetString(key.get(), "x", "y", true), kRegKeyDeleted);
}

TEST_P(RegistryBehaviour, HandlesAreCheckedAgainstTheirRights) {
  RegistryKey readOnly(*registry_);
  ASSERT_EQ(readOnly.Open(sandbox_, "", kKeyQueryValue), kRegSuccess);
  EXPECT_EQ(SetString(readOnly.get(), "x", "y", true), kRegAccessDenied);
  char name[16];
  EXPECT_EQ(registry_->EnumKey(readOnly.get(), 0, name, sizeof name), kRegAccessDenied);
}

TEST_P(RegistryBehaviour, NoKeyIsAnInvalidHandle) {
  RegKey key = 0;
  EXPECT_EQ(registry_->OpenKey(0, "Software", kKeyQueryValue, key), kRegInvalidHandle);
  EXPECT_EQ(key, 0);
}

TEST_P(RegistryBehaviour, ExpandingReplacesKnownVariablesAndKeepsTheRest) {
  if (GetParam().isSystem) {
#ifdef _WIN32
    SetEnvironmentVariableA("CORVALINDE_PROVA", "valore");
#endif
  } else {
    static_cast<inmemory::MemoryRegistry&>(*registry_)
        .DefineEnvironmentVariable("corvalinde_prova", "valore");
  }
  const char* source = "a%CORVALINDE_PROVA%b%NON_DEFINITA%c%";
  std::uint32_t needed = registry_->ExpandEnvironment(source, nullptr, 0);
  std::string expected = "avaloreb%NON_DEFINITA%c%";
  EXPECT_EQ(needed, expected.size() + 1);
  std::vector<char> buffer(needed);
  EXPECT_EQ(registry_->ExpandEnvironment(source, buffer.data(), needed), needed);
  EXPECT_STREQ(buffer.data(), expected.c_str());
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryBehaviour, ::testing::ValuesIn(AllRegistryBackends()),
                         BackendName);

TEST(MemoryRegistryOnly, ReadOnlyRootsRefuseChangesButAllowReading) {
  inmemory::MemoryRegistry registry;
  RegistryKey key(registry);
  ASSERT_EQ(key.Create(kHkeyLocalMachine, "SOFTWARE\\Microsoft", kKeyAllAccess), kRegSuccess);
  key.Close();
  registry.SetReadOnly(kHkeyLocalMachine, true);
  EXPECT_EQ(key.Create(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Nuova", kKeyAllAccess),
            kRegAccessDenied);
  EXPECT_EQ(key.Open(kHkeyLocalMachine, "SOFTWARE\\Microsoft", kKeyAllAccess), kRegAccessDenied);
  EXPECT_EQ(key.Open(kHkeyLocalMachine, "SOFTWARE\\Microsoft", kKeyRead), kRegSuccess);
  EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, "SOFTWARE\\Microsoft"), kRegAccessDenied);
}

}  // namespace
}  // namespace corvalinde::testing
