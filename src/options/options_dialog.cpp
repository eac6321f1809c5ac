#include "options/options_dialog.h"

#include <algorithm>

#include "common/texts.h"
#include "options/extension_name.h"
#include "options/reg_func.h"
#include "options/shell_verbs.h"
#include "platform/registry_key.h"

namespace corvalinde {
namespace {

constexpr std::int16_t kSet = -1;

}  // namespace

OptionsDialog::OptionsDialog(Opzioni& settings, platform::Registry& registry,
                             platform::MessageBoxes& boxes, platform::CommonDialogs& dialogs,
                             std::wstring executableFolder)
    : settings_(settings),
      registry_(registry),
      boxes_(boxes),
      dialogs_(dialogs),
      folder_(std::move(executableFolder)) {
  // A stored flag other than -1 shows as clear, as the check box knows only two states.
  associa = settings.Associa == kSet;
  winStart = settings.WinStart == kSet;
  for (const std::wstring& entry : settings.Ext) extensions.push_back(TrimmedExtension(entry));
  runEntryPlace = RunValueExists(platform::kHkeyLocalMachine)  ? RunEntryPlace::Machine
                  : RunValueExists(platform::kHkeyCurrentUser) ? RunEntryPlace::User
                                                               : RunEntryPlace::None;
}

void OptionsDialog::Aggiungi() {
  std::wstring answer = dialogs_.InputBox(std::wstring(texts::kAskExtension),
                                          std::wstring(texts::kNewExtension), L"");
  if (answer.empty()) return;
  if (!IsValidExtensionName(answer)) {
    boxes_.Show({std::wstring(texts::kInvalidExtension), platform::MessageIcon::Exclamation,
                 platform::MessageButtons::Ok, std::wstring(texts::kTitleError)});
    return;
  }
  // Compared as stored, so " dll" and ".DLL" are the DLL already there.
  std::wstring name = StoredExtensionName(answer);
  if (std::any_of(extensions.begin(), extensions.end(),
                  [&](const std::wstring& entry) { return StoredExtensionName(entry) == name; })) {
    boxes_.Show({std::wstring(texts::kDuplicateExtension), platform::MessageIcon::None,
                 platform::MessageButtons::Ok, std::wstring(texts::kTitleError)});
    return;
  }
  extensions.push_back(name);
}

void OptionsDialog::Elimina() {
  // With entries but none selected there is nothing to remove: ask nothing.
  if (selected < 0 || selected >= static_cast<int>(extensions.size())) return;
  std::wstring name = TrimmedExtension(extensions[selected]);
  platform::MessageAnswer answer =
      boxes_.Show({std::wstring(texts::kAskDelete) + name + L"?", platform::MessageIcon::None,
                   platform::MessageButtons::YesNo, std::wstring(texts::kTitleRequest)});
  if (answer != platform::MessageAnswer::Yes) return;
  extensions.erase(extensions.begin() + selected);
  selected = -1;
}

bool OptionsDialog::RunValueExists(platform::RegKey root) {
  platform::RegistryKey run(registry_);
  return run.Open(root, kRunKey, platform::kKeyQueryValue) == platform::kRegSuccess &&
         registry_.QueryValue(run.get(), kRunValue, nullptr, nullptr, nullptr) ==
             platform::kRegSuccess;
}

// Removing an entry that is not there is no failure.
bool OptionsDialog::RemoveRunValue(platform::RegKey root) {
  return !RunValueExists(root) || RegDeleteEntry(registry_, root, kRunKey, kRunValue);
}

bool OptionsDialog::ApplyRunEntry() {
  if (winStart) {
    std::wstring command = L"\"" + ProgramPath(folder_) + L"\"";
    // For every user when we may, and then no second entry for this user as well.
    if (RegWriteString(registry_, platform::kHkeyLocalMachine, kRunKey, kRunValue, command)) {
      RemoveRunValue(platform::kHkeyCurrentUser);
      return true;
    }
    return RegWriteString(registry_, platform::kHkeyCurrentUser, kRunKey, kRunValue, command);
  }
  bool machine = RemoveRunValue(platform::kHkeyLocalMachine);
  return RemoveRunValue(platform::kHkeyCurrentUser) && machine;
}

void OptionsDialog::Conferma() {
  bool runEntryApplied = ApplyRunEntry();
  RemoveShellVerbs(registry_, settings_.Ext);
  settings_.Associa = associa ? kSet : 0;
  settings_.WinStart = winStart ? kSet : 0;
  settings_.Ext.clear();
  for (const std::wstring& extension : extensions) {
    settings_.Ext.push_back(FixedExtension(extension));
  }
  settings_.NumExt = static_cast<std::int16_t>(settings_.Ext.size());
  if (associa) CreateShellVerbs(registry_, settings_.Ext, ProgramPath(folder_));
  // Said once, after the rest is done: the box must not claim a setting that is not in effect.
  if (!runEntryApplied) {
    boxes_.Show({std::wstring(texts::kRunEntryRefused), platform::MessageIcon::Exclamation,
                 platform::MessageButtons::Ok, std::wstring(texts::kOptionsCaption)});
  }
}

}  // namespace corvalinde
