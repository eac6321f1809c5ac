#include "app/sys_tray.h"

#include <gtest/gtest.h>

#include "app/tray_mode.h"
#include "common/version.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/inmemory/recording_tray_shell.h"
#include "platform/registry_key.h"

namespace corvalinde {
namespace {

using platform::inmemory::RecordingTrayShell;

struct Owner final : TrayOwner {
  std::uintptr_t hWnd() const override { return window; }
  std::uintptr_t window = 0x1234;
};

std::wstring Tip(const std::wstring& start) {
  std::wstring tip = start;
  tip.resize(64, L' ');
  return tip;
}

class Tray : public ::testing::Test {
 protected:
  RecordingTrayShell shell_;
  Owner owner_;
  TrayPicture icon_{0x42};
};

TEST_F(Tray, AddChecksIconThenOwnerThenFillsTheRecord) {
  CSysTray tray(shell_);
  EXPECT_EQ(tray.Add(), 2);
  tray.SetIcon(&icon_);
  EXPECT_EQ(tray.Add(), 3);
  EXPECT_TRUE(shell_.calls.empty());
  tray.SetOwnerControl(&owner_);
  EXPECT_EQ(tray.Add(), -1);
  EXPECT_EQ(tray.OnSysTray(), -1);
  ASSERT_EQ(shell_.calls.size(), 1u);
  const auto& sent = shell_.calls[0];
  EXPECT_EQ(sent.message, platform::kNimAdd);
  EXPECT_EQ(sent.data.cbSize, 88u);
  EXPECT_EQ(sent.data.hWnd, 0x1234u);
  EXPECT_EQ(sent.data.uID, 1u);
  EXPECT_EQ(sent.data.uFlags, 7u);
  EXPECT_EQ(sent.data.uCallbackMessage, 0x200u);
  EXPECT_EQ(sent.data.hIcon, 0x42u);
  EXPECT_EQ(tray.Add(), 1);
  EXPECT_EQ(shell_.calls.size(), 1u);
}

TEST_F(Tray, TheOwnerIsFixedWhileInTheTray) {
  CSysTray tray(shell_);
  tray.SetIcon(&icon_);
  tray.SetOwnerControl(&owner_);
  tray.Add();
  Owner other;
  tray.SetOwnerControl(&other);
  EXPECT_EQ(tray.OwnerControl(), &owner_);
}

TEST_F(Tray, RemoveSendsOnlyWhatWasAddedAndARefusedAddIsTriedAgain) {
  CSysTray tray(shell_);
  EXPECT_EQ(tray.Remove(), -1);
  EXPECT_EQ(tray.OnSysTray(), 0);
  EXPECT_TRUE(shell_.calls.empty());

  tray.SetIcon(&icon_);
  tray.SetOwnerControl(&owner_);
  shell_.accepting = false;
  EXPECT_EQ(tray.Add(), -1);  // the shell refused, the class still says -1
  EXPECT_EQ(tray.OnSysTray(), -1);
  tray.Remove();
  EXPECT_EQ(shell_.calls.back().message, platform::kNimAdd);  // no delete for a refused add
  shell_.accepting = true;
  EXPECT_EQ(tray.Add(), -1);
  tray.Remove();
  EXPECT_EQ(shell_.calls.back().message, platform::kNimDelete);
}

TEST_F(Tray, TooltipLayout) {
  CSysTray tray(shell_);
  tray.SetToolTipText(L"abc");
  EXPECT_EQ(tray.ToolTipText(), Tip(std::wstring(L" abc ") + L'\0'));
  EXPECT_EQ(shell_.calls.back().message, platform::kNimModify);
  tray.SetToolTipText(L"");
  EXPECT_EQ(tray.ToolTipText(), Tip(std::wstring(1, L'\0')));
  std::wstring sixty(60, L'x'), sixtyOne(61, L'y'), long62(62, L'z');
  tray.SetToolTipText(sixty);
  EXPECT_EQ(tray.ToolTipText(), L" " + sixty + L" " + L'\0' + L" ");
  tray.SetToolTipText(sixtyOne);
  EXPECT_EQ(tray.ToolTipText(), L" " + sixtyOne + L" " + L'\0');
  // Too long for the field: the NUL still ends it.
  tray.SetToolTipText(long62);
  EXPECT_EQ(tray.ToolTipText(), L" " + long62 + L'\0');
  tray.SetToolTipText(std::wstring(100, L'w'));
  EXPECT_EQ(tray.ToolTipText().size(), 64u);
  EXPECT_EQ(tray.ToolTipText().back(), L'\0');
}

TEST_F(Tray, ChangesShowAtOnceWhileInTheTray) {
  CSysTray tray(shell_);
  tray.SetIcon(&icon_);
  tray.SetOwnerControl(&owner_);
  tray.Add();
  TrayPicture other{0x99};
  tray.SetIcon(&other);
  EXPECT_EQ(shell_.calls.back().message, platform::kNimModify);
  EXPECT_EQ(shell_.calls.back().data.hIcon, 0x99u);
}

TEST_F(Tray, ANewTaskbarGetsTheIconBackAndTheEndRemovesIt) {
  {
    CSysTray tray(shell_);
    tray.SetIcon(&icon_);
    tray.SetOwnerControl(&owner_);
    tray.Add();
    shell_.present = false;  // Explorer restarted
    tray.OnTaskbarCreated();
    EXPECT_TRUE(shell_.present);
    EXPECT_EQ(shell_.calls.back().message, platform::kNimAdd);
  }
  EXPECT_FALSE(shell_.present);
  EXPECT_EQ(shell_.messagePasses, 1);

  // No taskbar yet at the first add: the one that comes later gets the icon.
  CSysTray early(shell_);
  early.SetIcon(&icon_);
  early.SetOwnerControl(&owner_);
  shell_.accepting = false;
  early.Add();
  EXPECT_FALSE(shell_.present);
  shell_.accepting = true;
  early.OnTaskbarCreated();
  EXPECT_TRUE(shell_.present);
}

TEST(TrayMenu, ButtonPressesOpenAndTheItemsAreInOrder) {
  EXPECT_TRUE(TrayEventOpensMenu(0x201));
  EXPECT_TRUE(TrayEventOpensMenu(0x204));
  for (std::uint32_t quiet : {0x200u, 0x202u, 0x203u, 0x205u, 0x206u}) {
    EXPECT_FALSE(TrayEventOpensMenu(quiet)) << quiet;
  }
  std::vector<std::wstring> captions;
  for (const MenuItem& item : TrayMenuItems()) captions.emplace_back(item.caption);
  EXPECT_EQ(captions,
            (std::vector<std::wstring>{L"&Registra / Unregistra", L"&Lista moduli registrati", L"-",
                                       L"Opzioni", L"-", L"&About", L"-", L"Esci"}));
}

TEST(TrayStartUp, RebuildsTheVerbsWhateverTheSettingAndAddsTheIcon) {
  platform::inmemory::MemoryRegistry registry;
  RecordingTrayShell shell;
  CSysTray tray(shell);
  Owner owner;
  TrayPicture icon{7};
  Opzioni settings;
  SettingsFile file{L"/percorso/che/non/esiste/opz.dat", L"/percorso/che/non/esiste/opz.dat"};
  StartTrayMode(settings, file, registry, tray, icon, owner, L"/percorso/che/non/esiste");
  EXPECT_EQ(settings.Ext, DefaultOpzioni().Ext);  // no file: the defaults
  platform::RegistryKey key(registry);
  EXPECT_EQ(key.Open(platform::kHkeyClassesRoot, L"ocxfile\\shell\\Unregistra\\command",
                     platform::kKeyQueryValue),
            platform::kRegSuccess);
  EXPECT_EQ(tray.ToolTipText(),
            Tip(L" Oska Corvalinde " + std::wstring(CORVALINDE_VERSION_TEXT) + L" " + L'\0'));
  EXPECT_EQ(tray.OnSysTray(), -1);
  EXPECT_EQ(shell.calls.back().data.hWnd, owner.window);
}

}  // namespace
}  // namespace corvalinde
