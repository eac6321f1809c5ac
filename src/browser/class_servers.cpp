#include "browser/class_servers.h"

#include <algorithm>
#include <set>
#include <vector>

#include "common/blanks.h"
#include "common/letter_case.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"

namespace corvalinde {
namespace {

// The default value of the class key's `sub` as text, expanded when it is stored to be (as the
// browser shows it), blanks around it removed.
std::wstring SubKeyText(platform::Registry& registry, platform::RegKey classKey,
                        std::wstring_view sub) {
  platform::RegistryKey key(registry);
  if (key.Open(classKey, sub, platform::kKeyQueryValue) != platform::kRegSuccess) return {};
  std::vector<std::uint8_t> data(512);
  std::uint32_t type = 0, size = static_cast<std::uint32_t>(data.size());
  std::int32_t status = registry.QueryValue(key.get(), {}, &type, data.data(), &size);
  if (status == platform::kRegMoreData) {
    data.resize(size);
    status = registry.QueryValue(key.get(), {}, &type, data.data(), &size);
  }
  if (status != platform::kRegSuccess ||
      (type != platform::kRegSz && type != platform::kRegExpandSz)) {
    return {};
  }
  std::wstring text =
      platform::FromRegistryText(data.data(), std::min<std::size_t>(size, data.size()));
  if (type == platform::kRegExpandSz) {
    std::uint32_t needed = registry.ExpandEnvironment(text.c_str(), nullptr, 0);
    std::wstring expanded(needed, L'\0');
    std::uint32_t written =
        needed ? registry.ExpandEnvironment(text.c_str(), expanded.data(), needed) : 0;
    if (written > 0 && written <= needed) text = expanded.substr(0, written - 1);
  }
  return std::wstring(TrimBlanks(text));
}

bool OpenClass(platform::RegKey classes, const std::wstring& clsid, platform::RegistryKey& key) {
  return key.Open(classes, L"CLSID\\" + clsid, platform::kKeyRead) == platform::kRegSuccess;
}

bool IsClassId(const std::wstring& text) {
  return text.size() > 2 && text.front() == L'{' && text.back() == L'}' &&
         text.find(L'\\') == std::wstring::npos;
}

}  // namespace

std::optional<ClassServers> ServersCreatedFor(platform::Registry& registry,
                                              platform::RegKey classes, const std::wstring& clsid,
                                              const std::optional<ClassServers>& own) {
  constexpr int kMostSteps = 8;
  platform::RegistryKey key(registry);
  if (!OpenClass(classes, clsid, key)) return std::nullopt;
  std::set<std::wstring> seen{ToUpperText(clsid)};
  bool stoodIn = false;
  for (int step = 0; step < kMostSteps; ++step) {
    std::wstring next = SubKeyText(registry, key.get(), L"TreatAs");
    if (!IsClassId(next)) next = SubKeyText(registry, key.get(), L"AutoTreatAs");
    if (!IsClassId(next) || !seen.insert(ToUpperText(next)).second) break;
    if (!OpenClass(classes, next, key)) return ClassServers{};
    stoodIn = true;
  }
  if (!stoodIn && own) return own;
  return ClassServers{SubKeyText(registry, key.get(), L"InProcServer32"),
                      SubKeyText(registry, key.get(), L"LocalServer32")};
}

bool SameServers(const ClassServers& a, const ClassServers& b) {
  return ToUpperText(a.module) == ToUpperText(b.module) &&
         ToUpperText(a.commandLine) == ToUpperText(b.commandLine);
}

}  // namespace corvalinde
