// frmOpzioni's behaviour: a working copy of the settings, edited freely and applied to the
// registry and the settings record only on "Conferma". The Win32 view draws it.
#pragma once

#include <string>
#include <vector>

#include "options/opzioni.h"
#include "platform/common_dialogs.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"

namespace corvalinde {

inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Corvalinde";

// Where the start-with-Windows entry is: HKEY_LOCAL_MACHINE's Run key (every user), or, when
// that cannot be written, HKEY_CURRENT_USER's (this user).
enum class RunEntryPlace { None, Machine, User };

class OptionsDialog {
 public:
  // Loads the working copy from the record (what each opening of the dialog does).
  OptionsDialog(Opzioni& settings, platform::Registry& registry, platform::MessageBoxes& boxes,
                platform::CommonDialogs& dialogs, std::wstring executableFolder);

  bool associa = false;                               // chkAssocia
  RunEntryPlace runEntryPlace = RunEntryPlace::None;  // as found on opening
  bool winStart = false;                              // chkWinStart
  std::vector<std::wstring> extensions;               // lstExt, trimmed
  int selected = -1;                                  // lstExt's selection, -1 for none

  // The extension area is usable exactly when chkAssocia is ticked; "Elimina" exactly when the
  // list holds something.
  bool ExtensionAreaEnabled() const { return associa; }
  bool DeleteEnabled() const { return !extensions.empty(); }

  void Aggiungi();
  void Elimina();
  void Conferma();  // the view closes the dialog afterwards

 private:
  bool ApplyRunEntry();
  bool RunValueExists(platform::RegKey root);
  bool RemoveRunValue(platform::RegKey root);

  Opzioni& settings_;
  platform::Registry& registry_;
  platform::MessageBoxes& boxes_;
  platform::CommonDialogs& dialogs_;
  std::wstring folder_;
};

}  // namespace corvalinde
