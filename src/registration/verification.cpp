#include "registration/verification.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "common/letter_case.h"
#include "platform/captured_roots.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registration/capture_exclusions.h"
#include "registration/capture_to_file.h"
#include "registration/module_architecture.h"
#include "registration/module_kind.h"
#include "registry/reg_file.h"
#include "registry/same_path.h"

namespace corvalinde {
namespace {

constexpr std::wstring_view kClasses = L"Software\\Classes";

// Whether `path` is `prefix` or lies below it, letter case ignored; what lies below.
std::optional<std::wstring> Below(std::wstring_view path, std::wstring_view prefix) {
  if (path.size() < prefix.size() ||
      ToUpperText(path.substr(0, prefix.size())) != ToUpperText(prefix)) {
    return std::nullopt;
  }
  if (path.size() == prefix.size()) return std::wstring();
  if (path[prefix.size()] != L'\\') return std::nullopt;
  return std::wstring(path.substr(prefix.size() + 1));
}

struct LiveKey {
  platform::RegKey root = 0;
  std::wstring path;
};

std::wstring InClasses(const std::wstring& below) {
  return below.empty() ? std::wstring(kClasses) : std::wstring(kClasses) + L"\\" + below;
}

// Where a registration in `scope` puts what the module wrote to root\subKey; nothing for what
// it does not apply (for this user only, the machine's keys outside its classes).
std::optional<LiveKey> LiveKeyOf(platform::RegKey root, const std::wstring& subKey,
                                 RegistrationScope scope) {
  const bool user = scope == RegistrationScope::User;
  const platform::RegKey classes = user ? platform::kHkeyCurrentUser : platform::kHkeyLocalMachine;
  if (root == platform::kHkeyClassesRoot) return LiveKey{classes, InClasses(subKey)};
  if (root == platform::kHkeyLocalMachine) {
    if (auto below = Below(subKey, kClasses)) return LiveKey{classes, InClasses(*below)};
    if (user) return std::nullopt;
  }
  if (root == platform::kHkeyUsers && user) return std::nullopt;
  return LiveKey{root, subKey};
}

std::wstring FullName(const LiveKey& key) {
  for (const platform::CapturedRoot& root : platform::kCapturedRoots) {
    if (root.root == key.root) {
      return key.path.empty() ? std::wstring(root.name)
                              : std::wstring(root.name) + L"\\" + key.path;
    }
  }
  return key.path;
}

struct LiveValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// One value by its name, read into a buffer sized for what is expected (read again, larger,
// when it is not enough).
std::optional<LiveValue> ReadValue(platform::Registry& registry, platform::RegKey key,
                                   const std::wstring& name, std::size_t expectedSize) {
  LiveValue value;
  value.data.resize(std::max<std::size_t>(expectedSize, 64));
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto size = static_cast<std::uint32_t>(value.data.size());
    std::int32_t status = registry.QueryValue(key, name, &value.type, value.data.data(), &size);
    if (status == platform::kRegSuccess && size <= value.data.size()) {
      value.data.resize(size);
      return value;
    }
    if (status != platform::kRegMoreData) return std::nullopt;
    value.data.resize(size);
  }
  return std::nullopt;
}

// Every value of the key by its upper-case name, in one pass: a call for each value.
std::map<std::wstring, LiveValue> AllValues(platform::Registry& registry, platform::RegKey key,
                                            const platform::RegKeyInfo& info) {
  std::map<std::wstring, LiveValue> values;
  std::vector<wchar_t> name(std::min<std::size_t>(std::size_t{info.longestValueName} + 1, 32768));
  std::vector<std::uint8_t> data(4096);
  for (std::uint32_t index = 0; index < info.values; ++index) {
    auto nameSize = static_cast<std::uint32_t>(name.size());
    auto size = static_cast<std::uint32_t>(data.size());
    std::uint32_t type = 0;
    std::int32_t status =
        registry.EnumValueData(key, index, name.data(), &nameSize, &type, data.data(), &size);
    if (status == platform::kRegMoreData) continue;  // read by its name when it is looked for
    if (status != platform::kRegSuccess) break;      // the key changed meanwhile
    values[ToUpperText(std::wstring_view(name.data(), nameSize))] =
        LiveValue{type, std::vector<std::uint8_t>(data.begin(), data.begin() + size)};
  }
  return values;
}

bool IsText(std::uint32_t type) {
  return type == platform::kRegSz || type == platform::kRegExpandSz;
}

// A text in quotes, as the user reads it; other data as a .reg file writes it after "name=".
std::wstring DataText(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  if (IsText(type)) return L"\"" + platform::FromRegistryText(data.data(), data.size()) + L"\"";
  return RegFileValueLine(L"", type, data).substr(2);
}

bool SameData(platform::Registry& registry, const RegFileValue& expected, const LiveValue& found) {
  if (expected.type == found.type && expected.data == found.data) return true;
  if (!IsText(expected.type) || !IsText(found.type)) return false;
  return SamePath(registry, platform::FromRegistryText(expected.data.data(), expected.data.size()),
                  platform::FromRegistryText(found.data.data(), found.data.size()));
}

// The module's view of the registry: a 32-bit module's classes are where 32-bit programs look.
std::uint32_t ViewOf(const std::wstring& module) {
  switch (ReadModuleArchitecture(module)) {
    case ModuleArchitecture::X86:
      return platform::kKeyWow64_32Key;
    case ModuleArchitecture::X64:
    case ModuleArchitecture::Arm64:
      return platform::kKeyWow64_64Key;
    default:
      return 0;
  }
}

bool IsServerKey(const std::wstring& path) {
  constexpr std::wstring_view kServer = L"\\INPROCSERVER32";
  const std::wstring upper = ToUpperText(path);
  return upper.size() > kServer.size() &&
         upper.compare(upper.size() - kServer.size(), kServer.size(), kServer) == 0;
}

class Comparison {
 public:
  Comparison(platform::Registry& registry, RegistrationScope scope, std::uint32_t view,
             Verification& verification)
      : registry_(registry), scope_(scope), view_(view), verification_(verification) {}

  void Key(const RegFileKey& captured) {
    std::optional<LiveKey> live = LiveKeyOf(captured.root, captured.subKey, scope_);
    if (!live) return;
    const std::wstring name = FullName(*live);
    const std::wstring upper = ToUpperText(name);
    // Below a key already missing: that key says it all.
    if (!missing_.empty() && upper.compare(0, missing_.size(), missing_) == 0) return;
    NoteClass(*live);
    platform::RegistryKey key(registry_);
    if (key.Open(live->root, live->path, platform::kKeyQueryValue | view_) !=
        platform::kRegSuccess) {
      verification_.findings.push_back({FindingKind::MissingKey, name});
      missing_ = upper + L"\\";
      return;
    }
    // A key of the module's own is read whole; one shared with many values of others, a value
    // at a time.
    platform::RegKeyInfo info;
    std::map<std::wstring, LiveValue> all;
    const bool whole = !captured.values.empty() &&
                       registry_.QueryInfoKey(key.get(), info) == platform::kRegSuccess &&
                       info.values <= 2 * captured.values.size() + 8;
    if (whole) all = AllValues(registry_, key.get(), info);
    for (const RegFileValue& value : captured.values) {
      const std::wstring shownName = value.name.empty() ? L"@" : value.name;
      std::optional<LiveValue> found;
      if (auto at = all.find(ToUpperText(value.name)); at != all.end()) {
        found = std::move(at->second);
      } else {
        found = ReadValue(registry_, key.get(), value.name, value.data.size());
      }
      if (!found) {
        verification_.findings.push_back({FindingKind::MissingValue, name, shownName});
      } else if (!SameData(registry_, value, *found)) {
        verification_.findings.push_back({FindingKind::DifferentValue, name, shownName,
                                          DataText(found->type, found->data),
                                          DataText(value.type, value.data)});
        std::vector<std::wstring>& inItsPlace = verification_.inItsPlace;
        std::wstring other = platform::FromRegistryText(found->data.data(), found->data.size());
        if (value.name.empty() && IsText(found->type) && IsServerKey(live->path) &&
            std::find(inItsPlace.begin(), inItsPlace.end(), other) == inItsPlace.end()) {
          inItsPlace.push_back(std::move(other));
        }
      }
    }
  }

  ClassViews Views() const {
    if (classes_.empty()) return ClassViews::None;
    bool in32 = false, in64 = false;
    for (const LiveKey& key : classes_) {
      platform::RegistryKey opened(registry_);
      in32 = in32 || opened.Open(key.root, key.path,
                                 platform::kKeyQueryValue | platform::kKeyWow64_32Key) ==
                         platform::kRegSuccess;
      in64 = in64 || opened.Open(key.root, key.path,
                                 platform::kKeyQueryValue | platform::kKeyWow64_64Key) ==
                         platform::kRegSuccess;
    }
    return in32 && in64 ? ClassViews::Both
           : in32       ? ClassViews::Only32
           : in64       ? ClassViews::Only64
                        : ClassViews::None;
  }

 private:
  // A class's own key: Software\Classes\CLSID\{…}.
  void NoteClass(const LiveKey& live) {
    std::optional<std::wstring> below = Below(live.path, kClasses);
    if (!below) return;
    std::optional<std::wstring> clsid = Below(*below, L"CLSID");
    if (clsid && !clsid->empty() && clsid->find(L'\\') == std::wstring::npos) {
      classes_.push_back(live);
    }
  }

  platform::Registry& registry_;
  RegistrationScope scope_;
  std::uint32_t view_;
  Verification& verification_;
  std::wstring missing_;  // upper case, with a trailing backslash
  std::vector<LiveKey> classes_;
};

}  // namespace

Verification VerifyModule(Registrar& registrar, platform::Registry& registry,
                          const std::wstring& module, RegistrationScope scope) {
  Verification verification;
  if (KindOfModule(module) == ModuleKind::ServerProgram) {
    verification.registration.outcome = RegCaptureProgram;
    return verification;
  }
  RemoveAbandonedCaptures(registry);
  const std::wstring scratch = NewScratchKey();
  verification.registration = registrar.Capture(module, scratch);
  if (verification.registration.outcome == RegDone) {
    CaptureExclusions exclusions(registry);
    RegFileText text =
        WriteRegFile(registry, ScratchRoots(scratch),
                     [&](const std::wstring& key, const std::wstring& name, std::uint32_t type,
                         const std::vector<std::uint8_t>& data) {
                       return exclusions.Judge(key, name, type, data) != CapturedFate::Differs;
                     });
    auto parsed = ParseRegFile(RegFileBytes(text.text));
    if (text.stopped != RegFileStop::None || !std::holds_alternative<ParsedRegFile>(parsed)) {
      verification.registration.outcome = RegCaptureStopped;
      verification.registration.stop = text.stopped;
      verification.registration.subject = std::move(text.stoppedAt);
    } else {
      const ParsedRegFile& written = std::get<ParsedRegFile>(parsed);
      verification.keys = written.keys.size();
      verification.values = written.values;
      Comparison comparison(registry, scope, ViewOf(module), verification);
      for (const RegFileKey& key : written.keys) comparison.Key(key);
      verification.views = comparison.Views();
      if (!verification.findings.empty()) verification.registration.outcome = RegVerifyDiffers;
    }
  }
  // Whatever happened: the host has ended (a time-out ended it), so nothing writes there now.
  DeleteScratchKey(registry, scratch);
  return verification;
}

}  // namespace corvalinde
