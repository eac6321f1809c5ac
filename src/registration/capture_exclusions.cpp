#include "registration/capture_exclusions.h"

#include <optional>

#include "common/letter_case.h"
#include "platform/captured_roots.h"
#include "platform/registry_key.h"

namespace corvalinde {
namespace {

// Where a captured key lies, for what the machine may share of it.
enum class Place { Outside, SharedClasses, Classes };

// The path below the hive's classes (upper case), when the key lies there: HKEY_CLASSES_ROOT
// itself, Software\Classes of the machine or a user, a user's "<sid>_Classes".
std::optional<std::wstring> BelowClasses(std::wstring_view root, std::wstring_view below) {
  std::wstring upper = ToUpperText(below);
  if (root == L"HKEY_CLASSES_ROOT") return upper;
  if (root == L"HKEY_USERS") {
    std::size_t slash = upper.find(L'\\');
    std::wstring_view user = std::wstring_view(upper).substr(0, slash);
    if (user.size() > 8 && user.substr(user.size() - 8) == L"_CLASSES") {
      return slash == std::wstring::npos ? std::wstring() : upper.substr(slash + 1);
    }
    if (slash == std::wstring::npos) return std::nullopt;
    upper.erase(0, slash + 1);
  }
  constexpr std::wstring_view kClasses = L"SOFTWARE\\CLASSES";
  if (upper.compare(0, kClasses.size(), kClasses) != 0) return std::nullopt;
  if (upper.size() == kClasses.size()) return std::wstring();
  if (upper[kClasses.size()] != L'\\') return std::nullopt;
  return upper.substr(kClasses.size() + 1);
}

Place PlaceOf(std::wstring_view root, std::wstring_view below) {
  std::optional<std::wstring> inClasses = BelowClasses(root, below);
  if (!inClasses) return Place::Outside;
  constexpr std::wstring_view kCategories = L"COMPONENT CATEGORIES";
  bool shared =
      inClasses->compare(0, kCategories.size(), kCategories) == 0 &&
      (inClasses->size() == kCategories.size() || (*inClasses)[kCategories.size()] == L'\\');
  return shared ? Place::SharedClasses : Place::Classes;
}

struct RealKey {
  const platform::CapturedRoot* root = nullptr;
  std::wstring below;
  Place place = Place::Outside;
};

RealKey RealKeyOf(const std::wstring& key) {
  RealKey real;
  std::size_t slash = key.find(L'\\');
  std::wstring_view rootName = std::wstring_view(key).substr(0, slash);
  for (const platform::CapturedRoot& captured : platform::kCapturedRoots) {
    if (captured.name == rootName) real.root = &captured;
  }
  real.below = slash == std::wstring::npos ? std::wstring() : key.substr(slash + 1);
  real.place = PlaceOf(rootName, real.below);
  return real;
}

}  // namespace

CapturedFate CaptureExclusions::Judge(const std::wstring& key, const std::wstring& name,
                                      std::uint32_t type, const std::vector<std::uint8_t>& data) {
  const RealKey where = RealKeyOf(key);
  if (!where.root || where.place == Place::Classes) return CapturedFate::Kept;
  platform::RegistryKey real(real_);
  if (real.Open(where.root->root, where.below, platform::kKeyQueryValue) != platform::kRegSuccess) {
    return CapturedFate::Kept;
  }
  std::uint32_t realType = 0, size = 0;
  std::int32_t status = real_.QueryValue(real.get(), name, &realType, nullptr, &size);
  if (status != platform::kRegSuccess && status != platform::kRegMoreData) {
    return CapturedFate::Kept;
  }
  buffer_.resize(size);
  if (real_.QueryValue(real.get(), name, &realType, buffer_.data(), &size) !=
      platform::kRegSuccess) {
    return CapturedFate::Kept;
  }
  buffer_.resize(size);
  const std::wstring named = key + L"\\" + (name.empty() ? std::wstring(L"@") : name);
  if (realType == type && buffer_ == data) {
    onMachine_.push_back(named);
    return CapturedFate::OnMachine;
  }
  // A category's description in other words is still the module's to write.
  if (where.place == Place::SharedClasses) return CapturedFate::Kept;
  differing_.push_back(named);
  return CapturedFate::Differs;
}

CapturedFate CaptureExclusions::JudgeEmptyKey(const std::wstring& key) {
  const RealKey where = RealKeyOf(key);
  if (!where.root) return CapturedFate::Kept;
  platform::RegistryKey real(real_);
  if (real.Open(where.root->root, where.below, platform::kKeyQueryValue) != platform::kRegSuccess) {
    return CapturedFate::Kept;
  }
  platform::RegKeyInfo info;
  const bool holdsSomething = real_.QueryInfoKey(real.get(), info) == platform::kRegSuccess &&
                              (info.values || info.subKeys);
  if (where.place == Place::Classes && !holdsSomething) return CapturedFate::Kept;
  onMachine_.push_back(L"[" + key + L"]");
  return CapturedFate::OnMachine;
}

}  // namespace corvalinde
