// Tray mode: the start-up that puts the icon in the notification area, the popup menu that a
// press on the icon opens, and the exit path that saves the settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/sys_tray.h"
#include "options/opzioni.h"
#include "platform/message_boxes.h"
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

// Where a tray's settings live, decided once at its start, and what was read there.
struct SettingsFile {
  std::wstring readFrom;
  std::wstring saveTo;
  Opzioni loaded{};      // as read: an unchanged run writes nothing
  bool existed = false;  // a file was there to read
  bool damaged = false;  // ... and could not be read whole
};

// opz.dat beside the program; the user's copy (<userFolder>\Corvalinde\opz.dat) instead when
// it exists already, or for saving when the program's folder takes no new file (a standard
// user's Program Files).
SettingsFile LocateSettings(const std::wstring& executableFolder, const std::wstring& userFolder);

// Loads the settings from `file.readFrom` (recording what was read), removes the verbs of every
// listed extension and writes them again when the association setting is set (unticked, they
// stay removed), and adds the icon with its tooltip. The caller minimises the main window.
// False when the settings file was there but could not be read whole.
bool StartTrayMode(Opzioni& settings, SettingsFile& file, platform::Registry& registry,
                   CSysTray& tray, const TrayPicture& icon, const TrayOwner& owner,
                   const std::wstring& executableFolder);

// Removes the icon and writes the settings when they changed, or when no whole file holds them
// yet. A damaged file about to be replaced is first kept as opz.dat.bak: if that fails, it is
// not replaced. A save that fails says so, with the system's reason, and offers to try again;
// with no `boxes` (Windows is ending the session) it shows nothing. The caller then ends the
// process.
void PrepareExit(CSysTray& tray, const Opzioni& settings, const SettingsFile& file,
                 platform::MessageBoxes* boxes);

// The name that tells a tray instance of this program folder from those of other folders
// (for a named mutex: no "\").
std::wstring TrayInstanceName(const std::wstring& executableFolder);

}  // namespace corvalinde
