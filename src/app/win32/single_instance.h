// One tray per program folder: two would show two icons, and the one that exits last would
// overwrite the other's settings.
#pragma once

#include <windows.h>

namespace corvalinde {

// The main window's class: a second start in the same folder finds the tray's by it.
inline constexpr wchar_t kMainWindowClass[] = L"CorvalindeMain";
// Sent by a second start in the same folder: the tray that runs opens its menu instead.
inline constexpr UINT kOpenMenuMessage = WM_APP + 1;

// True when this process is the folder's tray (it keeps the folder's mutex until it ends, and
// marks `mainWindow` as the tray's); otherwise, with `openOthersMenu`, the tray that runs is
// asked to open its menu.
bool ClaimTray(HWND mainWindow, bool openOthersMenu);

// Asks the tray of this folder, if one runs in this session, to close as "Esci" does (it saves
// its settings) and waits for its process to end, at most `wait` milliseconds. Whether none runs
// now.
bool EndFolderTray(DWORD wait);

}  // namespace corvalinde
