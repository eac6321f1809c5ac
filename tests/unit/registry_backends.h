// The registry backends every registry suite runs against: the in-memory one everywhere, and on
// Windows (under Wine: the test prefix's) the real one. Each test works below a sandbox key of
// its own, removed again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace corvalinde::testing {

struct RegistryBackend {
  std::string name;
  std::function<std::unique_ptr<platform::Registry>()> make;
  bool isSystem;
};

std::vector<RegistryBackend> AllRegistryBackends();
std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info);

// True under Wine, whose registry differs from Windows' in a few documented ways.
bool RunningOnWine();

// A value under root\path as text, with its type: "(no key)" when the key cannot be opened,
// "(none)" when the value is not there. A text's NUL is not part of it.
struct StoredText {
  std::wstring text;
  std::uint32_t type = 0;
};
StoredText ReadText(platform::Registry& registry, platform::RegKey root, std::wstring_view path,
                    std::wstring_view name = {});

// The names of a key's sub-keys, listed through the interface.
std::vector<std::wstring> SubKeyNames(platform::Registry& registry, platform::RegKey key);

// Deletes a key and everything below it, through the interface itself.
void DeleteTree(platform::Registry& registry, platform::RegKey root, const std::wstring& path);

// Fixture: `registry_` from the backend, and `sandbox_`, an open key
// (HKEY_CURRENT_USER\Software\Corvalinde Tests\<test>) that is emptied and removed at the end.
class RegistryTest : public ::testing::TestWithParam<RegistryBackend> {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::unique_ptr<platform::Registry> registry_;
  std::wstring sandboxPath_;
  platform::RegKey sandbox_ = 0;
};

}  // namespace corvalinde::testing

namespace corvalinde::testing {
inline void PrintTo(const RegistryBackend& backend, std::ostream* out) {
  *out << backend.name;
}
}  // namespace corvalinde::testing
