#include "options/shell_verbs.h"

#include <functional>
#include <optional>

#include "common/letter_case.h"
#include "options/extension_name.h"
#include "options/opzioni.h"
#include "options/reg_func.h"
#include "platform/registry_key.h"
#include "registry/same_path.h"

namespace corvalinde {

std::wstring ProgramPath(const std::wstring& executableFolder) {
  return executableFolder + L"\\Corvalinde.exe";
}

std::wstring FileClassName(const std::wstring& extension) {
  return ToLowerText(TrimmedExtension(extension)) + L"file";
}

std::wstring VerbCommand(const std::wstring& programPath, wchar_t mode) {
  return L"\"" + programPath + L"\" /filename %1 /modal " + mode + L" /visible 0";
}

namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";
constexpr const wchar_t* kVerbs[] = {L"\\Registra", L"\\Unregistra"};

// Whether the key holds a non-empty default value.
bool HasTie(platform::Registry& registry, platform::RegKey root, const std::wstring& path) {
  platform::RegistryKey key(registry);
  std::uint32_t size = 0;
  return key.Open(root, path, platform::kKeyQueryValue) == platform::kRegSuccess &&
         registry.QueryValue(key.get(), L"", nullptr, nullptr, &size) == platform::kRegSuccess &&
         size > 2;
}

}  // namespace

std::wstring ExtensionKey(const std::wstring& extension) {
  return L"." + ToLowerText(StoredExtensionName(extension));
}

void CreateShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions,
                      const std::wstring& programPath) {
  for (const std::wstring& extension : extensions) {
    if (!IsValidExtensionName(extension)) continue;
    const std::wstring fileClass = FileClassName(extension);
    const std::wstring tie = ExtensionKey(extension);
    bool user = false;
    for (const wchar_t* verb : kVerbs) {
      std::wstring command = fileClass + L"\\shell" + verb + L"\\command";
      std::wstring text = VerbCommand(programPath, verb[1]);
      if (!RegWriteString(registry, platform::kHkeyClassesRoot, command, L"", text)) {
        user = RegWriteString(registry, platform::kHkeyCurrentUser, kUserClasses + command, L"",
                              text) ||
               user;
      }
    }
    if (HasTie(registry, platform::kHkeyClassesRoot, tie) ||
        HasTie(registry, platform::kHkeyCurrentUser, kUserClasses + tie)) {
      continue;
    }
    if (user || !RegWriteString(registry, platform::kHkeyClassesRoot, tie, L"", fileClass)) {
      RegWriteString(registry, platform::kHkeyCurrentUser, kUserClasses + tie, L"", fileClass);
    }
  }
}

namespace {

// Removes each verb `owned` says is ours, from both places.
void RemoveVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions,
                 const std::function<bool(platform::RegKey, const std::wstring&)>& owned) {
  for (const std::wstring& extension : extensions) {
    if (!IsValidExtensionName(extension)) continue;
    std::wstring shell = FileClassName(extension) + L"\\shell";
    // The user's first: where a key is in both, HKEY_CLASSES_ROOT names the user's.
    for (auto [root, prefix] : {std::pair{platform::kHkeyCurrentUser, kUserClasses},
                                std::pair{platform::kHkeyClassesRoot, L""}}) {
      // A key with sub-keys cannot go: each command before its verb.
      for (const wchar_t* verb : kVerbs) {
        const std::wstring command = prefix + shell + verb + L"\\command";
        if (!owned(root, command)) continue;
        RegDeleteEntry(registry, root, command, L"");
        RegDeleteEntry(registry, root, prefix + shell + verb, L"");
      }
    }
  }
}

}  // namespace

void RemoveShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions) {
  RemoveVerbs(registry, extensions, [](platform::RegKey, const std::wstring&) { return true; });
}

void RemoveShellVerbsOf(platform::Registry& registry, const std::vector<std::wstring>& extensions,
                        const std::wstring& programPath) {
  RemoveVerbs(registry, extensions, [&](platform::RegKey root, const std::wstring& command) {
    std::optional<std::wstring> stored = RegReadString(registry, root, command, L"");
    return stored && CommandStarts(registry, *stored, programPath);
  });
}

bool CommandStarts(platform::Registry& registry, const std::wstring& command,
                   const std::wstring& programPath) {
  const std::size_t end = command.find(L'"', 1);
  if (command.empty() || command[0] != L'"' || end == std::wstring::npos) return false;
  return SamePath(registry, command.substr(1, end - 1), programPath);
}

void RefreshShellVerbs(platform::Registry& registry, const Opzioni& settings,
                       const std::wstring& programPath) {
  RemoveShellVerbs(registry, settings.Ext);
  if (settings.Associa == -1) CreateShellVerbs(registry, settings.Ext, programPath);
}

}  // namespace corvalinde
