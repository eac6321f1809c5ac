#include "registry_backends.h"

#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"

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

StoredText ReadText(platform::Registry& registry, platform::RegKey root, const std::string& path,
                    const char* name) {
  platform::RegistryKey key(registry);
  if (key.Open(root, path, platform::kKeyQueryValue) != platform::kRegSuccess) return {"(no key)"};
  char data[512] = {};
  std::uint32_t size = sizeof data - 1, type = 0;
  if (registry.QueryValue(key.get(), name, &type, reinterpret_cast<std::uint8_t*>(data), &size)) {
    return {"(none)"};
  }
  return {std::string(data, size && data[size - 1] == '\0' ? size - 1 : size), type};
}

void DeleteTree(platform::Registry& registry, platform::RegKey root, const std::string& path) {
  platform::RegKey key = 0;
  if (registry.OpenKey(root, path, platform::kKeyAllAccess, key) != platform::kRegSuccess) return;
  std::vector<std::string> children;
  char name[256];
  for (std::uint32_t i = 0; registry.EnumKey(key, i, name, sizeof name) == 0; ++i) {
    children.push_back(name);
  }
  registry.CloseKey(key);
  for (const std::string& child : children) DeleteTree(registry, root, path + "\\" + child);
  registry.DeleteKey(root, path);
}

void RegistryTest::SetUp() {
  registry_ = GetParam().make();
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  sandboxPath_ = std::string("Software\\Corvalinde Tests\\") + test->name();
  for (char& c : sandboxPath_) {
    if (c == '/') c = '_';
  }
  DeleteTree(*registry_, platform::kHkeyCurrentUser, sandboxPath_);
  ASSERT_EQ(registry_->CreateKey(platform::kHkeyCurrentUser, sandboxPath_, platform::kKeyAllAccess,
                                 sandbox_),
            platform::kRegSuccess);
}

void RegistryTest::TearDown() {
  if (sandbox_) registry_->CloseKey(sandbox_);
  DeleteTree(*registry_, platform::kHkeyCurrentUser, sandboxPath_);
  DeleteTree(*registry_, platform::kHkeyCurrentUser, "Software\\Corvalinde Tests");
}

}  // namespace corvalinde::testing
