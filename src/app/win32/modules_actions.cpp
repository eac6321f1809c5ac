#include "app/win32/modules_actions.h"

#include <shellapi.h>

#include "browser/catalogue_export.h"
#include "common/texts.h"
#include "platform/win32/clipboard.h"

namespace corvalinde {
namespace {

enum MenuId : UINT {
  kMenuCopy = 1,
  kMenuExport,
  kMenuOpenFolder,
  kMenuUnregister,
  kMenuVerify,
  kMenuRemoveOrphans,
  kMenuRestore
};

}  // namespace

RowAction ChooseRowAction(HWND window, POINT at, bool haveRow, bool inProcess, bool verifiable,
                          bool orphan) {
  HMENU menu = CreatePopupMenu();
  UINT rowOnly = haveRow ? MF_STRING : MF_STRING | MF_GRAYED;
  AppendMenuW(menu, rowOnly, kMenuCopy, std::wstring(texts::kMenuCopy).c_str());
  AppendMenuW(menu, MF_STRING, kMenuExport, std::wstring(texts::kMenuExport).c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, rowOnly, kMenuOpenFolder, std::wstring(texts::kMenuOpenFolder).c_str());
  AppendMenuW(menu, haveRow && inProcess ? MF_STRING : MF_STRING | MF_GRAYED, kMenuUnregister,
              std::wstring(texts::kMenuUnregister).c_str());
  AppendMenuW(menu, haveRow && verifiable ? MF_STRING : MF_STRING | MF_GRAYED, kMenuVerify,
              std::wstring(texts::kMenuVerify).c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, orphan ? MF_STRING : MF_STRING | MF_GRAYED, kMenuRemoveOrphans,
              std::wstring(texts::kRemoveOrphans).c_str());
  AppendMenuW(menu, MF_STRING, kMenuRestore, std::wstring(texts::kRestoreRegFile).c_str());
  UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr));
  DestroyMenu(menu);
  switch (chosen) {
    case kMenuCopy:
      return RowAction::Copy;
    case kMenuExport:
      return RowAction::Export;
    case kMenuOpenFolder:
      return RowAction::OpenFolder;
    case kMenuUnregister:
      return RowAction::Unregister;
    case kMenuVerify:
      return RowAction::Verify;
    case kMenuRemoveOrphans:
      return RowAction::RemoveOrphans;
    case kMenuRestore:
      return RowAction::Restore;
    default:
      return RowAction::None;
  }
}

void CopyRows(HWND window, const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows) {
  platform::win32::CopyTextToClipboard(window, RowsAsText(catalogue, rows));
}

void OpenModuleFolder(std::wstring file) {
  std::wstring arguments = L"/select,\"" + file + L"\"";
  ShellExecuteW(nullptr, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace corvalinde
