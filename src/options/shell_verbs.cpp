#include "options/shell_verbs.h"

#include "app/letter_case.h"
#include "options/extension_name.h"
#include "options/opzioni.h"
#include "options/reg_func.h"

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

void CreateShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions,
                      const std::wstring& programPath) {
  for (const std::wstring& extension : extensions) {
    if (!IsValidExtensionName(extension)) continue;
    std::wstring shell = FileClassName(extension) + L"\\shell";
    RegWriteString(registry, platform::kHkeyClassesRoot, shell + L"\\Registra\\command", L"",
                   VerbCommand(programPath, L'R'));
    RegWriteString(registry, platform::kHkeyClassesRoot, shell + L"\\Unregistra\\command", L"",
                   VerbCommand(programPath, L'U'));
  }
}

void RemoveShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions) {
  for (const std::wstring& extension : extensions) {
    if (!IsValidExtensionName(extension)) continue;
    std::wstring shell = FileClassName(extension) + L"\\shell";
    // A key with sub-keys cannot go: each command before its verb.
    for (const wchar_t* verb : {L"\\Registra", L"\\Unregistra"}) {
      RegDeleteEntry(registry, platform::kHkeyClassesRoot, shell + verb + L"\\command", L"");
      RegDeleteEntry(registry, platform::kHkeyClassesRoot, shell + verb, L"");
    }
  }
}

void RefreshShellVerbs(platform::Registry& registry, const Opzioni& settings,
                       const std::wstring& programPath) {
  RemoveShellVerbs(registry, settings.Ext);
  if (settings.Associa == -1) CreateShellVerbs(registry, settings.Ext, programPath);
}

}  // namespace corvalinde
