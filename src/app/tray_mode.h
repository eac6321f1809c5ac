// Tray mode: the start-up that puts the icon in the notification area, the popup menu that a
// press on the icon opens, and the exit path that saves the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/sys_tray.h"
#include "options/opzioni.h"
#include "platform/registry.h"

namespace corvalinde {

enum class MenuCommand { RegUnReg = 1, ListaModuli, Opz, About, Esci, Separator };

struct MenuItem {
  MenuCommand command;
  std::wstring_view caption;  // "-" for a separator
};

// mnuMenu's items, in order.
const std::array<MenuItem, 8>& TrayMenuItems();

// The shell reports the mouse message that happened on the icon (its callback's lParam). A left
// or right button press opens the menu, at any screen scale; releases, double clicks and moves
// do nothing.
bool TrayEventOpensMenu(std::uint32_t mouseMessage);

// The settings file: opz.dat in the executable's folder.
std::wstring SettingsPath(const std::wstring& executableFolder);

// Loads the settings, rebuilds the verbs for every listed extension (whatever the association
// setting says) and adds the icon with its tooltip. The caller minimises the main window.
void StartTrayMode(Opzioni& settings, platform::Registry& registry, CSysTray& tray,
                   const TrayPicture& icon, const TrayOwner& owner,
                   const std::wstring& executableFolder);

// Removes the icon and writes the settings, changed or not. The caller then ends the process.
void PrepareExit(CSysTray& tray, const Opzioni& settings, const std::wstring& executableFolder);

}  // namespace corvalinde
