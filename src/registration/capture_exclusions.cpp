#include "registration/capture_exclusions.h"

#include "common/letter_case.h"
#include "platform/captured_roots.h"
#include "platform/registry_key.h"

namespace corvalinde {
namespace {

// Whether the path below a root lies in a hive's classes: HKEY_CLASSES_ROOT itself,
// Software\Classes of the machine or a user, a user's "<sid>_Classes".
bool InClasses(std::wstring_view root, std::wstring_view below) {
  if (root == L"HKEY_CLASSES_ROOT") return true;
  std::wstring upper = ToUpperText(below);
  if (root == L"HKEY_USERS") {
    std::size_t slash = upper.find(L'\\');
    std::wstring_view user = std::wstring_view(upper).substr(0, slash);
    if (user.size() > 8 && user.substr(user.size() - 8) == L"_CLASSES") return true;
    if (slash == std::wstring::npos) return false;
    upper.erase(0, slash + 1);
  }
  constexpr std::wstring_view kClasses = L"SOFTWARE\\CLASSES";
  return upper.compare(0, kClasses.size(), kClasses) == 0 &&
         (upper.size() == kClasses.size() || upper[kClasses.size()] == L'\\');
}

}  // namespace

bool CaptureExclusions::Keep(const std::wstring& key, const std::wstring& name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
  std::size_t slash = key.find(L'\\');
  std::wstring_view rootName = std::wstring_view(key).substr(0, slash);
  std::wstring below = slash == std::wstring::npos ? std::wstring() : key.substr(slash + 1);
  const platform::CapturedRoot* root = nullptr;
  for (const platform::CapturedRoot& captured : platform::kCapturedRoots) {
    if (captured.name == rootName) root = &captured;
  }
  if (!root || InClasses(rootName, below)) return true;
  platform::RegistryKey real(real_);
  if (real.Open(root->root, below, platform::kKeyQueryValue) != platform::kRegSuccess) return true;
  std::uint32_t realType = 0, size = 0;
  std::int32_t status = real_.QueryValue(real.get(), name, &realType, nullptr, &size);
  if (status != platform::kRegSuccess && status != platform::kRegMoreData) return true;
  buffer_.resize(size);
  if (real_.QueryValue(real.get(), name, &realType, buffer_.data(), &size) !=
      platform::kRegSuccess) {
    return true;
  }
  buffer_.resize(size);
  if (realType == type && buffer_ == data) return true;
  excluded_.push_back(key + L"\\" + (name.empty() ? std::wstring(L"@") : name));
  return false;
}

}  // namespace corvalinde
