// What the installer's removal asks of the program ("/disinstalla"), once the tray of its folder
// has ended: take away what it wrote outside its folder, and the settings it kept inside it, so
// that removing its files leaves nothing of it behind. Only what starts this very program goes:
// the verbs and start-up entry of a copy elsewhere stay. The user's own settings
// (%APPDATA%\Corvalinde) and the clean-up's backups (%LOCALAPPDATA%\Corvalinde\Backup) are never
// touched: they are the user's.
#pragma once

#include <string>

#include "platform/registry.h"

namespace corvalinde {

// Removes, from the machine's keys and the user's: the "Registra"/"Unregistra" verbs of every
// extension the default settings, the folder's settings file or the user's name; the
// start-with-Windows entry. Then deletes the settings file beside the program (and the copy kept
// of a damaged one). Failures are passed over: there is nobody to tell, and nothing must stop the
// removal.
void RemoveProgramTraces(platform::Registry& registry, const std::wstring& executableFolder,
                         const std::wstring& userFolder);

}  // namespace corvalinde
