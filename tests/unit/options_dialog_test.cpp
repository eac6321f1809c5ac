#include "options/options_dialog.h"

#include <gtest/gtest.h>

#include "common/texts.h"
#include "options/shell_verbs.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/inmemory/recording_dialogs.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"

namespace corvalinde {
namespace {

using namespace platform;
using Names = std::vector<std::wstring>;

class OptionsDialogTest : public ::testing::Test {
 protected:
  OptionsDialog Open() { return OptionsDialog(settings_, registry_, boxes_, dialogs_, L"C:\\Cv"); }
  bool KeyExists(const std::wstring& path) {
    RegistryKey key(registry_);
    return key.Open(kHkeyClassesRoot, path, kKeyQueryValue) == kRegSuccess;
  }
  std::wstring RunValue(RegKey root = kHkeyLocalMachine) {
    RegistryKey key(registry_);
    if (key.Open(root, kRunKey, kKeyQueryValue) != kRegSuccess) return L"-";
    std::uint8_t data[512] = {};
    std::uint32_t size = sizeof data;
    if (registry_.QueryValue(key.get(), L"Corvalinde", nullptr, data, &size)) return L"-";
    return FromRegistryText(data, size);
  }

  Opzioni settings_ = DefaultOpzioni();
  inmemory::MemoryRegistry registry_;
  inmemory::RecordingMessageBoxes boxes_;
  inmemory::RecordingDialogs dialogs_;
};

TEST_F(OptionsDialogTest, OpensWithTheRecordAndItsEnablingRules) {
  OptionsDialog dialog = Open();
  EXPECT_TRUE(dialog.associa);
  EXPECT_FALSE(dialog.winStart);
  EXPECT_EQ(dialog.extensions, (Names{L"DLL", L"OCX"}));
  EXPECT_TRUE(dialog.ExtensionAreaEnabled());
  EXPECT_TRUE(dialog.DeleteEnabled());
  settings_.Associa = 0;
  settings_.Ext.clear();
  settings_.NumExt = 0;
  OptionsDialog cleared = Open();
  EXPECT_FALSE(cleared.ExtensionAreaEnabled());
  EXPECT_FALSE(cleared.DeleteEnabled());
}

TEST_F(OptionsDialogTest, AddingRefusesDuplicatesAsStoredAndInvalidNames) {
  OptionsDialog dialog = Open();
  dialogs_.inputAnswers = {L"dll",        L" dll",  L".Ocx ",
                           L"xyz",        L"",      L" " + std::wstring(50, L'q'),
                           L"txt\\shell", L"a\tb",  std::wstring(51, L'q'),
                           L".",          L"\x0444"};
  for (std::size_t asked = dialogs_.inputAnswers.size(); asked > 0; --asked) dialog.Aggiungi();
  std::vector<std::wstring> shown;
  for (const auto& box : boxes_.Shown()) shown.push_back(box.text);
  const std::wstring duplicate = L"Estensione già inserita";
  const std::wstring invalid(texts::kInvalidExtension);
  EXPECT_EQ(shown,
            (Names{duplicate, duplicate, duplicate, invalid, invalid, invalid, invalid, invalid}));
  EXPECT_EQ(boxes_.Shown()[0].title, L"Errore");
  EXPECT_EQ(dialog.extensions, (Names{L"DLL", L"OCX", L"XYZ", std::wstring(50, L'Q')}));
  EXPECT_EQ(dialogs_.inputRequests[0].prompt, L"Inserire l'estensione");
  EXPECT_EQ(dialogs_.inputRequests[0].title, L"Nuova Estensione");
}

TEST_F(OptionsDialogTest, DeletingAsksAndNoSelectionAsksNothing) {
  OptionsDialog dialog = Open();
  dialog.Elimina();
  EXPECT_TRUE(boxes_.Shown().empty());
  dialog.selected = 1;
  dialog.Elimina();  // answered No
  EXPECT_EQ(dialog.extensions.size(), 2u);
  EXPECT_EQ(boxes_.Shown()[0].text, L"Eliminare l'estensione : OCX?");
  EXPECT_EQ(boxes_.Shown()[0].title, L"Richiesta");
  EXPECT_EQ(boxes_.Shown()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(boxes_.Shown()[0].icon, MessageIcon::None);
  boxes_.QueueAnswer(MessageAnswer::Yes);
  dialog.Elimina();
  boxes_.QueueAnswer(MessageAnswer::Yes);
  dialog.selected = 0;
  dialog.Elimina();
  EXPECT_TRUE(dialog.extensions.empty());
  EXPECT_FALSE(dialog.DeleteEnabled());
}

TEST_F(OptionsDialogTest, ConfirmAppliesTheRunEntryVerbsAndRecord) {
  CreateShellVerbs(registry_, settings_.Ext, ProgramPath(L"C:\\Cv"));
  OptionsDialog dialog = Open();
  dialog.winStart = true;
  dialog.extensions = {L"OCX", L"XYZ"};
  dialog.Conferma();
  EXPECT_EQ(RunValue(), L"\"C:\\Cv\\Corvalinde.exe\"");
  EXPECT_FALSE(KeyExists(L"dllfile\\shell\\Registra"));
  EXPECT_TRUE(KeyExists(L"xyzfile\\shell\\Registra\\command"));
  EXPECT_EQ(settings_.WinStart, -1);
  EXPECT_EQ(settings_.NumExt, 2);
  EXPECT_EQ(settings_.Ext[1], FixedExtension(L"XYZ"));
  EXPECT_TRUE(boxes_.Shown().empty());

  OptionsDialog off = Open();
  off.winStart = false;
  off.associa = false;
  off.Conferma();
  EXPECT_EQ(RunValue(), L"-");
  EXPECT_FALSE(KeyExists(L"xyzfile\\shell\\Registra"));
  EXPECT_EQ(settings_.Associa, 0);
  EXPECT_EQ(settings_.NumExt, 2);  // the list is stored all the same
  OptionsDialog again = Open();
  again.Conferma();  // no Run value to delete: no failure, nothing said
  EXPECT_TRUE(boxes_.Shown().empty());
}

TEST_F(OptionsDialogTest, WithoutMachineRightsTheEntryIsTheUsersAndOnlyBothRefusedIsSaid) {
  registry_.SetReadOnly(kHkeyLocalMachine, true);
  OptionsDialog dialog = Open();
  EXPECT_EQ(dialog.runEntryPlace, RunEntryPlace::None);
  dialog.winStart = true;
  dialog.Conferma();
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_EQ(RunValue(kHkeyCurrentUser), L"\"C:\\Cv\\Corvalinde.exe\"");
  EXPECT_EQ(Open().runEntryPlace, RunEntryPlace::User);

  // With the rights back, the entry is the machine's and the user's copy goes.
  registry_.SetReadOnly(kHkeyLocalMachine, false);
  Open().Conferma();
  EXPECT_EQ(RunValue(kHkeyCurrentUser), L"-");
  EXPECT_EQ(Open().runEntryPlace, RunEntryPlace::Machine);
  OptionsDialog off = Open();
  off.winStart = false;
  off.Conferma();
  EXPECT_EQ(RunValue(), L"-");

  registry_.SetReadOnly(kHkeyLocalMachine, true);
  registry_.SetReadOnly(kHkeyCurrentUser, true);
  OptionsDialog refused = Open();
  refused.winStart = true;
  refused.extensions.push_back(L"XYZ");
  refused.Conferma();
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(settings_.NumExt, 3);  // the rest is applied all the same
}

TEST_F(OptionsDialogTest, ClosingWithoutConfirmChangesNothing) {
  {
    OptionsDialog dialog = Open();
    dialog.associa = false;
    dialog.extensions.clear();
  }
  EXPECT_EQ(settings_.Ext, DefaultOpzioni().Ext);
  EXPECT_EQ(settings_.Associa, -1);
}

}  // namespace
}  // namespace corvalinde
