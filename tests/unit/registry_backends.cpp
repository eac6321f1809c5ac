#include "registry_backends.h"

#include "registry/key_tree.h"

#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvalinde::testing {

std::vector<RegistryBackend> AllRegistryBackends() {
  std::vector<RegistryBackend> backends{
      {"InMemory", [] { return std::make_unique<platform::inmemory::MemoryRegistry>(); }, false}};
#ifdef _WIN32
  backends.push_back({"Windows", [] { return platform::MakeSystemRegistry(); }, true});
#endif
  return backends;
}

bool RunningOnWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

std::string BackendName(const ::testing::TestParamInfo<RegistryBackend>& info) {
  return info.param.name;
}

StoredText ReadText(platform::Registry& registry, platform::RegKey root, std::wstring_view path,
                    std::wstring_view name) {
  platform::RegistryKey key(registry);
  if (key.Open(root, path, platform::kKeyQueryValue) != platform::kRegSuccess) return {L"(no key)"};
  std::uint8_t data[1024] = {};
  std::uint32_t size = sizeof data, type = 0;
  if (registry.QueryValue(key.get(), name, &type, data, &size)) return {L"(none)"};
  return {platform::FromRegistryText(data, size), type};
}

std::vector<std::wstring> SubKeyNames(platform::Registry& registry, platform::RegKey key) {
  return corvalinde::SubKeyNames(registry, key);
}

void DeleteTree(platform::Registry& registry, platform::RegKey root, const std::wstring& path) {
  DeleteKeyTree(registry, root, path);
}

void RegistryTest::SetUp() {
  registry_ = GetParam().make();
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string testName = test->name();
  sandboxPath_ = L"Software\\Corvalinde Tests\\" + std::wstring(testName.begin(), testName.end());
  for (wchar_t& c : sandboxPath_) {
    if (c == L'/') c = L'_';
  }
  DeleteTree(*registry_, platform::kHkeyCurrentUser, sandboxPath_);
  ASSERT_EQ(registry_->CreateKey(platform::kHkeyCurrentUser, sandboxPath_, platform::kKeyAllAccess,
                                 sandbox_),
            platform::kRegSuccess);
}

void RegistryTest::TearDown() {
  if (sandbox_) registry_->CloseKey(sandbox_);
  DeleteTree(*registry_, platform::kHkeyCurrentUser, sandboxPath_);
  DeleteTree(*registry_, platform::kHkeyCurrentUser, L"Software\\Corvalinde Tests");
}

}  // namespace corvalinde::testing
