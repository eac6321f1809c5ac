#include "app/tray_mode.h"

#include "app/texts.h"
#include "options/shell_verbs.h"

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
#ifdef _WIN32
  return executableFolder + L"\\opz.dat";
#else
  return executableFolder + L"/opz.dat";
#endif
}

void StartTrayMode(Opzioni& settings, platform::Registry& registry, CSysTray& tray,
                   const TrayPicture& icon, const TrayOwner& owner,
                   const std::wstring& executableFolder) {
  LoadOpz(SettingsPath(executableFolder), settings);
  RemoveShellVerbs(registry, settings.Ext);
  CreateShellVerbs(registry, settings.Ext, ProgramPath(executableFolder));
  tray.SetIcon(&icon);
  tray.SetToolTipText(std::wstring(texts::kToolTip));
  tray.SetOwnerControl(&owner);
  tray.Add();
}

void PrepareExit(CSysTray& tray, const Opzioni& settings, const std::wstring& executableFolder) {
  tray.Remove();
  SaveOpz(SettingsPath(executableFolder), settings);
}

}  // namespace corvalinde
