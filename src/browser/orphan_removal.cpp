#include "browser/orphan_removal.h"

#include <map>
#include <optional>
#include <set>
#include <utility>

#include "browser/class_servers.h"
#include "common/blanks.h"
#include "common/letter_case.h"
#include "common/texts.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registry/classes_file.h"
#include "registry/key_tree.h"

namespace corvalinde {
namespace {

using platform::RegistryKey;

constexpr std::wstring_view kClasses = L"Software\\Classes\\";
constexpr std::wstring_view kClassesKey = L"Software\\Classes";

platform::RegKey HiveOf(bool user) {
  return user ? platform::kHkeyCurrentUser : platform::kHkeyLocalMachine;
}

// A text value of an open key, trimmed; empty when there is none.
std::wstring TextOf(platform::Registry& registry, platform::RegKey key, std::wstring_view name) {
  std::uint8_t data[1024];
  std::uint32_t type = 0, size = sizeof data;
  if (registry.QueryValue(key, name, &type, data, &size) != platform::kRegSuccess ||
      (type != platform::kRegSz && type != platform::kRegExpandSz)) {
    return {};
  }
  return std::wstring(TrimBlanks(platform::FromRegistryText(data, size)));
}

std::wstring TextAt(platform::Registry& registry, platform::RegKey root, const std::wstring& path,
                    std::wstring_view name = {}) {
  RegistryKey key(registry);
  if (key.Open(root, path, platform::kKeyQueryValue) != platform::kRegSuccess) return {};
  return TextOf(registry, key.get(), name);
}

// A name that is one key: what a value names may hold anything.
bool IsOneName(const std::wstring& name) {
  return !name.empty() && name.find(L'\\') == std::wstring::npos;
}

// How many classes name each application (upper case), in both scopes and both registry
// views, leaving out the classes `leaving` (scope and upper-case CLSID key).
std::map<std::wstring, std::size_t> ApplicationsNamed(
    platform::Registry& registry, const std::set<std::pair<bool, std::wstring>>& leaving) {
  std::map<std::wstring, std::size_t> named;
  for (bool user : {false, true}) {
    for (std::wstring_view view : {L"CLSID", L"WOW6432Node\\CLSID"}) {
      RegistryKey classes(registry);
      if (classes.Open(HiveOf(user), std::wstring(kClasses) + std::wstring(view),
                       platform::kKeyRead) != platform::kRegSuccess) {
        continue;
      }
      const bool ownView = view == L"CLSID";
      for (const std::wstring& name : SubKeyNames(registry, classes.get())) {
        if (ownView && leaving.count({user, ToUpperText(L"CLSID\\" + name)})) continue;
        std::wstring appId = TextAt(registry, classes.get(), name, L"AppID");
        if (!appId.empty()) ++named[ToUpperText(appId)];
      }
    }
  }
  return named;
}

// The identifiers a file type names, upper case: the default value of each ".ext" key and the
// names under its OpenWithProgids, in both scopes (HKEY_CLASSES_ROOT merges them).
std::set<std::wstring> FileTypeNames(platform::Registry& registry) {
  std::set<std::wstring> names;
  for (bool user : {false, true}) {
    RegistryKey classes(registry);
    if (classes.Open(HiveOf(user), kClassesKey, platform::kKeyRead) != platform::kRegSuccess) {
      continue;
    }
    for (const std::wstring& name : SubKeyNames(registry, classes.get())) {
      if (name.empty() || name.front() != L'.') continue;
      std::wstring type = TextAt(registry, classes.get(), name);
      if (!type.empty()) names.insert(ToUpperText(type));
      RegistryKey openWith(registry);
      if (openWith.Open(classes.get(), name + L"\\OpenWithProgids", platform::kKeyRead) ==
          platform::kRegSuccess) {
        platform::RegKeyInfo info;
        if (registry.QueryInfoKey(openWith.get(), info) != platform::kRegSuccess) continue;
        auto valueAt = [&](std::uint32_t index, wchar_t* buffer, std::uint32_t* size) {
          return registry.EnumValue(openWith.get(), index, buffer, size);
        };
        for (const std::wstring& progId : ListedNames(info.longestValueName, valueAt)) {
          names.insert(ToUpperText(progId));
        }
      }
    }
  }
  return names;
}

// What else an identifier's key holds: verbs, an icon or shell extensions make it a file type
// as well; a CurVer names its current version. Its sub-keys are listed only when it has more
// than the CLSID every identifier has.
struct ProgIdUses {
  bool fileType = false;
  bool currentVersion = false;
};
ProgIdUses UsesOf(platform::Registry& registry, platform::RegKey progIdKey) {
  ProgIdUses uses;
  platform::RegKeyInfo info;
  if (registry.QueryInfoKey(progIdKey, info) != platform::kRegSuccess || info.subKeys < 2) {
    return uses;
  }
  for (const std::wstring& name : SubKeyNames(registry, progIdKey)) {
    const std::wstring upper = ToUpperText(name);
    uses.fileType =
        uses.fileType || upper == L"SHELL" || upper == L"DEFAULTICON" || upper == L"SHELLEX";
    uses.currentVersion = uses.currentVersion || upper == L"CURVER";
  }
  return uses;
}

// Whether `current` (a CurVer) is another identifier whose class is registered and not among
// those `leaving`.
bool NamesAStayingClass(platform::Registry& registry, bool user, const std::wstring& current,
                        const std::wstring& progId,
                        const std::set<std::pair<bool, std::wstring>>& leaving) {
  if (!IsOneName(current) || ToUpperText(current) == ToUpperText(progId)) return false;
  const std::wstring clsid =
      TextAt(registry, HiveOf(user), std::wstring(kClasses) + current + L"\\CLSID");
  if (!IsOneName(clsid) || leaving.count({user, ToUpperText(L"CLSID\\" + clsid)})) return false;
  for (bool scope : {false, true}) {
    RegistryKey key(registry);
    if (key.Open(HiveOf(scope), std::wstring(kClasses) + L"CLSID\\" + clsid, platform::kKeyRead) ==
        platform::kRegSuccess) {
      return true;
    }
  }
  return false;
}

std::wstring TwoDigits(int number) {
  return std::wstring(1, static_cast<wchar_t>(L'0' + number / 10 % 10)) +
         static_cast<wchar_t>(L'0' + number % 10);
}

}  // namespace

std::vector<OrphanClass> OrphansAmong(const ModuleCatalogue& catalogue,
                                      const std::vector<std::size_t>& rows) {
  std::vector<OrphanClass> orphans;
  std::map<std::pair<bool, std::wstring>, std::size_t> found;
  for (std::size_t row : rows) {
    if (row >= catalogue.Rows().size()) continue;
    const CatalogueRow& cells = catalogue.Rows()[row];
    const RowFacts& facts = catalogue.Facts()[row];
    if (facts.state != FileState::Missing || cells[kColumnClassId].empty()) continue;
    auto [at, isNew] =
        found.try_emplace({facts.user, ToUpperText(cells[kColumnClassId])}, orphans.size());
    if (isNew) orphans.push_back({cells[kColumnClassId], facts.user, {}, facts.servers});
    orphans[at->second].progIds.push_back(cells[kColumnClassName]);
  }
  return orphans;
}

RemovalPlan PlanRemoval(platform::Registry& registry, const std::vector<OrphanClass>& classes,
                        RegisteredFiles& files) {
  RemovalPlan plan;
  // Each class as it is registered now: still there, naming what the list showed, its files
  // still missing.
  std::vector<const OrphanClass*> orphans;
  std::set<std::pair<bool, std::wstring>> leaving;  // scope and upper-case CLSID key
  RegistryKey machineClasses(registry), userClasses(registry);
  machineClasses.Open(platform::kHkeyLocalMachine, kClassesKey, platform::kKeyRead);
  userClasses.Open(platform::kHkeyCurrentUser, kClassesKey, platform::kKeyRead);
  for (const OrphanClass& orphan : classes) {
    const std::wstring classKey = L"CLSID\\" + orphan.clsid;
    if (!IsOneName(orphan.clsid) || leaving.count({orphan.user, ToUpperText(classKey)})) continue;
    const RegistryKey& hiveClasses = orphan.user ? userClasses : machineClasses;
    const std::optional<ClassServers> now =
        hiveClasses ? ServersCreatedFor(registry, hiveClasses.get(), orphan.clsid) : std::nullopt;
    if (!now || !SameServers(*now, orphan.listed)) {
      ++plan.leftOut.changed;
      continue;
    }
    switch (files.Check(*now).state) {
      case FileState::Missing:
        orphans.push_back(&orphan);
        leaving.insert({orphan.user, ToUpperText(classKey)});
        continue;
      case FileState::Present:
        ++plan.leftOut.fileBack;
        continue;
      case FileState::Unverifiable:
        ++plan.leftOut.unverifiable;
        continue;
      case FileState::None:
      case FileState::Unchecked:
        ++plan.leftOut.changed;
        continue;
    }
  }

  struct ClassKeys {
    std::vector<OrphanKey> own;
    std::wstring appId;  // the application it names, if any
  };
  std::vector<ClassKeys> found;
  std::set<std::pair<bool, std::wstring>> taken;
  auto take = [&](std::vector<OrphanKey>& keys, bool user, std::wstring path) {
    if (taken.insert({user, ToUpperText(path)}).second) keys.push_back({user, std::move(path)});
  };
  std::optional<std::set<std::wstring>> fileTypeNames;  // read once, when first needed
  for (const OrphanClass* orphan : orphans) {
    const platform::RegKey hive = HiveOf(orphan->user);
    const std::wstring classKey = L"CLSID\\" + orphan->clsid;
    RegistryKey key(registry);
    if (key.Open(hive, std::wstring(kClasses) + classKey, platform::kKeyQueryValue) !=
        platform::kRegSuccess) {
      continue;
    }
    ClassKeys& keys = found.emplace_back();
    take(keys.own, orphan->user, classKey);
    std::vector<std::wstring> progIds = orphan->progIds;
    progIds.push_back(TextAt(registry, key.get(), L"ProgID"));
    progIds.push_back(TextAt(registry, key.get(), L"VersionIndependentProgID"));
    std::set<std::wstring> checked;
    for (const std::wstring& progId : progIds) {
      if (!IsOneName(progId) || !IsClassOwnKey(progId) ||
          !checked.insert(ToUpperText(progId)).second) {
        continue;
      }
      RegistryKey progIdKey(registry);
      if (progIdKey.Open(hive, std::wstring(kClasses) + progId, platform::kKeyRead) !=
              platform::kRegSuccess ||
          ToUpperText(TextAt(registry, progIdKey.get(), L"CLSID")) != ToUpperText(orphan->clsid)) {
        continue;
      }
      if (!fileTypeNames) fileTypeNames = FileTypeNames(registry);
      const ProgIdUses uses = UsesOf(registry, progIdKey.get());
      if (uses.fileType || fileTypeNames->count(ToUpperText(progId))) {
        plan.fileTypes.push_back({orphan->user, progId});
        continue;
      }
      if (uses.currentVersion &&
          NamesAStayingClass(registry, orphan->user, TextAt(registry, progIdKey.get(), L"CurVer"),
                             progId, leaving)) {
        plan.currentVersions.push_back({orphan->user, progId});
        continue;
      }
      take(keys.own, orphan->user, progId);
    }
    std::wstring appId = TextOf(registry, key.get(), L"AppID");
    if (IsOneName(appId)) keys.appId = std::move(appId);
  }
  // An application stays while any class not removed names it.
  bool anyApplication = false;
  for (const ClassKeys& keys : found) anyApplication = anyApplication || !keys.appId.empty();
  std::map<std::wstring, std::size_t> named;
  if (anyApplication) named = ApplicationsNamed(registry, taken);
  plan.classes = found.size();
  for (ClassKeys& keys : found) {
    const bool user = keys.own.front().user;
    const std::wstring appKey = L"AppID\\" + keys.appId;
    RegistryKey application(registry);
    if (!keys.appId.empty() && !named.count(ToUpperText(keys.appId)) &&
        application.Open(HiveOf(user), std::wstring(kClasses) + appKey, platform::kKeyRead) ==
            platform::kRegSuccess) {
      take(keys.own, user, appKey);
    }
    for (OrphanKey& key : keys.own) plan.keys.push_back(std::move(key));
  }
  return plan;
}

std::wstring FullKeyName(const OrphanKey& key) {
  return std::wstring(key.user ? L"HKEY_CURRENT_USER\\" : L"HKEY_LOCAL_MACHINE\\") +
         std::wstring(kClasses) + key.path;
}

Backup WriteBackup(platform::Registry& registry, const RemovalPlan& plan,
                   const std::wstring& folder, const std::tm& now) {
  Backup backup;
  std::vector<RegFileRoot> roots;
  for (const OrphanKey& key : plan.keys) {
    roots.push_back({HiveOf(key.user), std::wstring(kClasses) + key.path, FullKeyName(key), true});
  }
  RegFileText text = WriteRegFile(registry, roots);
  if (text.stopped != RegFileStop::None) {
    backup.stopped = text.stopped;
    backup.stoppedAt = std::move(text.stoppedAt);
    return backup;
  }
  backup.bytes = RegFileBytes(text.text);
  // The folder, its parent first: only these two are made.
  if (const std::wstring parent = platform::FolderOf(folder); !parent.empty()) {
    platform::MakeFolder(parent);
  }
  if (!platform::MakeFolder(folder)) {
    backup.path = folder;
    backup.noFolder = true;
    return backup;
  }
  const std::wstring stamp = std::to_wstring(now.tm_year + 1900) + TwoDigits(now.tm_mon + 1) +
                             TwoDigits(now.tm_mday) + L"-" + TwoDigits(now.tm_hour) +
                             TwoDigits(now.tm_min) + TwoDigits(now.tm_sec);
  for (int copy = 1;; ++copy) {
    std::wstring name = L"rimozione-" + stamp +
                        (copy == 1 ? std::wstring() : L"-" + std::to_wstring(copy)) + L".reg";
    backup.path = platform::JoinPath(folder, name);
    if (!platform::FileExists(backup.path)) break;
  }
  backup.written = platform::ReplaceFileContent(backup.path, backup.bytes, &backup.error);
  return backup;
}

std::wstring BackupFolder() {
  std::wstring local = platform::UserLocalDataFolder();
  if (local.empty()) return {};
  return platform::JoinPath(platform::JoinPath(local, L"Corvalinde"), L"Backup");
}

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local;
}

}  // namespace corvalinde
