// CSysTray: the program's one icon in the notification area. It keeps one record for its whole
// life and hands it to the shell on every change; the shell reports mouse actions on the icon
// to the owner window as mouse-move messages whose lParam is the mouse message (the tray
// control of app/win32/tray_window.cpp turns them into the menu).
#pragma once

#include <cstdint>
#include <string>

#include "platform/tray_shell.h"

namespace corvalinde {

// What the tray needs of its owner control: the window the shell reports to.
class TrayOwner {
 public:
  virtual ~TrayOwner() = default;
  virtual std::uintptr_t hWnd() const = 0;
};

// An icon picture; the tray takes its handle, never a copy, and never frees it.
struct TrayPicture {
  std::uintptr_t handle = 0;
};

inline constexpr std::uint32_t kNotifyDataSize = 88;
inline constexpr std::uint32_t kTrayCallbackMessage = 0x200;  // WM_MOUSEMOVE

class CSysTray {
 public:
  explicit CSysTray(platform::TrayShell& shell) : shell_(shell) {}
  ~CSysTray();  // removes the icon, then runs the waiting messages once
  CSysTray(const CSysTray&) = delete;
  CSysTray& operator=(const CSysTray&) = delete;

  // Ignored while the icon is in the tray: the owner's window is fixed at Add.
  void SetOwnerControl(const TrayOwner* owner);
  const TrayOwner* OwnerControl() const { return owner_; }

  // The 64-character tip field: a blank, the text, a blank, NUL, then blanks. A text too long
  // for that gives up its last characters so the NUL stays inside the field.
  void SetToolTipText(const std::wstring& text);
  std::wstring ToolTipText() const { return notifyData_.szTip; }

  void SetIcon(const TrayPicture* picture);
  const TrayPicture* Icon() const { return iconPicture_; }

  // -1 handed to the shell, 1 already in the tray, 2 no icon set, 3 no owner set.
  std::int16_t Add();
  std::int16_t Remove();  // always true (-1)
  std::int16_t OnSysTray() const { return inTray_; }

  // The taskbar was re-created (Explorer restarted) and has forgotten the icon: add it again.
  void OnTaskbarCreated();

  const platform::NotifyIconData& NotifyData() const { return notifyData_; }

 private:
  platform::TrayShell& shell_;
  platform::NotifyIconData notifyData_;
  const TrayPicture* iconPicture_ = nullptr;
  bool isAdded_ = false;
  bool hasOwner_ = false;
  bool hasIcon_ = false;
  const TrayOwner* owner_ = nullptr;
  std::int16_t inTray_ = 0;
};

}  // namespace corvalinde
