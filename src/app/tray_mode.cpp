#include "app/tray_mode.h"

#include <cwchar>

#include "common/error_text.h"
#include "common/letter_case.h"
#include "common/texts.h"
#include "options/shell_verbs.h"
#include "platform/files.h"
#include "platform/path_parts.h"
#include "registration/capture_to_file.h"

namespace corvalinde {

namespace {
constexpr std::uint32_t kLeftButtonDown = 0x201;   // WM_LBUTTONDOWN
constexpr std::uint32_t kRightButtonDown = 0x204;  // WM_RBUTTONDOWN
}  // namespace

const std::array<MenuItem, 8>& TrayMenuItems() {
  static const std::array<MenuItem, 8> items = {{
      {MenuCommand::RegUnReg, texts::kMenuRegUnReg},
      {MenuCommand::ListaModuli, texts::kMenuListaModuli},
      {MenuCommand::Separator, L"-"},
      {MenuCommand::Opz, texts::kMenuOpz},
      {MenuCommand::Separator, L"-"},
      {MenuCommand::About, texts::kMenuAbout},
      {MenuCommand::Separator, L"-"},
      {MenuCommand::Esci, texts::kMenuEsci},
  }};
  return items;
}

bool TrayEventOpensMenu(std::uint32_t mouseMessage) {
  return mouseMessage == kLeftButtonDown || mouseMessage == kRightButtonDown;
}

std::wstring SettingsPath(const std::wstring& executableFolder) {
  return platform::JoinPath(executableFolder, L"opz.dat");
}

SettingsFile LocateSettings(const std::wstring& executableFolder, const std::wstring& userFolder) {
  SettingsFile file;
  file.readFrom = file.saveTo = SettingsPath(executableFolder);
  if (userFolder.empty()) return file;
  const std::wstring userCopy =
      platform::JoinPath(platform::JoinPath(userFolder, L"Corvalinde"), L"opz.dat");
  if (platform::FileExists(userCopy)) {
    file.readFrom = file.saveTo = userCopy;
  } else if (!platform::FolderAcceptsNewFiles(executableFolder)) {
    file.saveTo = userCopy;
  }
  return file;
}

bool StartTrayMode(Opzioni& settings, SettingsFile& file, platform::Registry& registry,
                   CSysTray& tray, const TrayPicture& icon, const TrayOwner& owner,
                   const std::wstring& executableFolder) {
  file.existed = platform::FileExists(file.readFrom);
  bool whole = LoadOpz(file.readFrom, settings);
  file.loaded = settings;
  file.damaged = !whole;
  RefreshShellVerbs(registry, settings, ProgramPath(executableFolder));
  RemoveAbandonedCaptures(registry);  // a capture that died with its program left its keys
  tray.SetIcon(&icon);
  tray.SetToolTipText(std::wstring(texts::kToolTip));
  tray.SetOwnerControl(&owner);
  tray.Add();
  return whole;
}

void PrepareExit(CSysTray& tray, const Opzioni& settings, const SettingsFile& file,
                 platform::MessageBoxes* boxes) {
  tray.Remove();
  if (file.existed && !file.damaged && settings == file.loaded) return;
  const std::wstring& path = file.saveTo;
  const std::wstring folder = platform::FolderOf(path);
  // What could not be read may still matter to its owner: it is not overwritten unkept.
  const bool keepDamaged = file.damaged && path == file.readFrom && platform::FileExists(path);
  for (;;) {
    std::uint32_t error = 0;
    if (platform::MakeFolder(folder) &&
        (!keepDamaged || platform::CopyFileOver(path, path + L".bak", &error)) &&
        SaveOpz(path, settings, &error)) {
      return;
    }
    if (!boxes) return;
    platform::MessageAnswer answer =
        boxes->Show({std::wstring(texts::kSaveFailed) + path + ReasonLine(error, path),
                     platform::MessageIcon::Error, platform::MessageButtons::RetryCancel,
                     std::wstring(texts::kProgramTitle)});
    if (answer != platform::MessageAnswer::Retry) return;
  }
}

std::wstring TrayInstanceName(const std::wstring& executableFolder) {
  // FNV-1a over the folder in upper case: the same folder however it was spelt.
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (wchar_t c : ToUpperText(executableFolder)) {
    hash = (hash ^ static_cast<std::uint16_t>(c)) * 0x100000001B3ull;
  }
  wchar_t digits[17];
  std::swprintf(digits, 17, L"%016llX", static_cast<unsigned long long>(hash));
  return L"Corvalinde-" + std::wstring(digits);
}

}  // namespace corvalinde
