#include "app/uninstall.h"

#include <algorithm>
#include <vector>

#include "app/tray_mode.h"
#include "options/opzioni.h"
#include "options/options_dialog.h"
#include "options/reg_func.h"
#include "options/shell_verbs.h"
#include "platform/files.h"

namespace corvalinde {
namespace {

// Every extension a tray of this program may have written verbs for: whichever settings it
// started with, the defaults included (a tray that found no file).
std::vector<std::wstring> KnownExtensions(const std::wstring& executableFolder,
                                          const std::wstring& userFolder) {
  std::vector<std::wstring> extensions = DefaultOpzioni().Ext;
  SettingsFile file = LocateSettings(executableFolder, userFolder);
  for (const std::wstring& path : {SettingsPath(executableFolder), file.readFrom}) {
    Opzioni settings;
    if (!platform::FileExists(path)) continue;
    LoadOpz(path, settings);  // what a damaged file still holds counts
    for (const std::wstring& extension : settings.Ext) {
      if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
        extensions.push_back(extension);
      }
    }
  }
  return extensions;
}

}  // namespace

void RemoveProgramTraces(platform::Registry& registry, const std::wstring& executableFolder,
                         const std::wstring& userFolder) {
  const std::wstring program = ProgramPath(executableFolder);
  RemoveShellVerbsOf(registry, KnownExtensions(executableFolder, userFolder), program);
  for (platform::RegKey root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    std::optional<std::wstring> entry = RegReadString(registry, root, kRunKey, kRunValue);
    if (entry && CommandStarts(registry, *entry, program))
      RegDeleteEntry(registry, root, kRunKey, kRunValue);
  }
  const std::wstring settings = SettingsPath(executableFolder);
  platform::RemoveFile(settings + L".bak");
  platform::RemoveFile(settings);
}

}  // namespace corvalinde
