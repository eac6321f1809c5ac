#include "app/win32/modules_actions.h"

#include <commdlg.h>
#include <shellapi.h>

#include <memory>

#include "app/command_line_run.h"
#include "browser/catalogue_export.h"
#include "common/texts.h"
#include "platform/files.h"
#include "platform/host_launcher.h"
#include "platform/path_parts.h"
#include "platform/process.h"
#include "platform/system_errors.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/message_boxes.h"
#include "registration/host_registrar.h"

namespace corvalinde {
namespace {

enum MenuId : UINT {
  kMenuCopy = 1,
  kMenuExport,
  kMenuOpenFolder,
  kMenuUnregister,
  kMenuRemoveOrphans,
  kMenuRestore
};

// "Description|pattern|..." as the NUL-separated, double-NUL-ended list comdlg32 wants.
std::wstring FilterList(std::wstring_view filter) {
  std::wstring list(filter);
  for (wchar_t& c : list) {
    if (c == L'|') c = L'\0';
  }
  return list.append(2, L'\0');
}

}  // namespace

RowAction ChooseRowAction(HWND window, POINT at, bool haveRow, bool inProcess, bool orphan) {
  HMENU menu = CreatePopupMenu();
  UINT rowOnly = haveRow ? MF_STRING : MF_STRING | MF_GRAYED;
  AppendMenuW(menu, rowOnly, kMenuCopy, std::wstring(texts::kMenuCopy).c_str());
  AppendMenuW(menu, MF_STRING, kMenuExport, std::wstring(texts::kMenuExport).c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, rowOnly, kMenuOpenFolder, std::wstring(texts::kMenuOpenFolder).c_str());
  AppendMenuW(menu, haveRow && inProcess ? MF_STRING : MF_STRING | MF_GRAYED, kMenuUnregister,
              std::wstring(texts::kMenuUnregister).c_str());
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

void ExportShownRows(HWND window, const ModuleCatalogue& catalogue) {
  std::wstring filter = FilterList(texts::kExportFilter), title(texts::kExportTitle);
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return;
  std::wstring path = file.data();
  const bool html = dialog.nFilterIndex == 2;
  // A name without an extension gets the one of the type chosen.
  if (platform::ExtensionOf(path).empty()) {
    path += html ? L".html" : L".csv";
  }
  std::string content =
      html ? RowsAsHtml(catalogue, catalogue.Shown()) : RowsAsCsv(catalogue, catalogue.Shown());
  std::uint32_t error = 0;
  if (!platform::ReplaceFileContent(path, content, &error)) {
    platform::win32::SystemMessageBoxes boxes;
    boxes.SetOwner(window);
    boxes.Show({std::wstring(texts::kExportFailed) + path + std::wstring(texts::kCrLf) +
                    platform::SystemErrorText(error),
                platform::MessageIcon::Error, platform::MessageButtons::Ok,
                std::wstring(texts::kTitleError)});
  }
}

void OpenModuleFolder(std::wstring file) {
  std::wstring arguments = L"/select,\"" + file + L"\"";
  ShellExecuteW(nullptr, L"open", L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

bool UnregisterModule(HWND window, std::wstring file) {
  platform::win32::SystemMessageBoxes boxes;
  boxes.SetOwner(window);
  if (boxes.Show({std::wstring(texts::kAskUnregister) + file + L"?",
                  platform::MessageIcon::Exclamation, platform::MessageButtons::YesNo,
                  std::wstring(texts::kProgramTitle)}) != platform::MessageAnswer::Yes) {
    return false;
  }
  std::unique_ptr<platform::HostLauncher> launcher = platform::MakeSystemHostLauncher();
  HostRegistrar registrar(*launcher, platform::ExecutablePath());
  RegistrationResult result = registrar.Run(file, Action::Unregister, RegistrationScope::Machine);
  if (auto message = CommandLineMessage(result, file, ModalAction{Action::Unregister}))
    boxes.Show(*message);
  return true;
}

}  // namespace corvalinde
