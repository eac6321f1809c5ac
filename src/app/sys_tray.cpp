#include "app/sys_tray.h"

namespace corvalinde {

namespace {
constexpr std::size_t kTipLength = 64;
constexpr std::int16_t kTrue = -1;
}  // namespace

CSysTray::~CSysTray() {
  Remove();
  shell_.ProcessPendingMessages();
}

void CSysTray::SetOwnerControl(const TrayOwner* owner) {
  if (isAdded_) return;
  owner_ = owner;
  hasOwner_ = true;
}

void CSysTray::SetToolTipText(const std::wstring& text) {
  std::wstring tip;
  if (text.empty()) {
    tip = std::wstring(1, L'\0');
  } else {
    tip = L" " + text.substr(0, kTipLength) + L" " + std::wstring(1, L'\0');
    // The shell reads the tip up to its NUL: keep the NUL inside the field.
    if (tip.size() > kTipLength) {
      tip.resize(kTipLength);
      tip.back() = L'\0';
    }
  }
  tip.resize(kTipLength, L' ');
  notifyData_.szTip = tip;
  shell_.NotifyIcon(platform::kNimModify, notifyData_);
}

void CSysTray::SetIcon(const TrayPicture* picture) {
  iconPicture_ = picture;
  notifyData_.hIcon = picture ? picture->handle : 0;
  hasIcon_ = true;
  if (isAdded_) shell_.NotifyIcon(platform::kNimModify, notifyData_);
}

std::int16_t CSysTray::Add() {
  if (isAdded_) return 1;
  if (!hasIcon_) return 2;
  if (!hasOwner_) return 3;
  notifyData_.cbSize = kNotifyDataSize;
  notifyData_.hWnd = owner_ ? owner_->hWnd() : 0;
  notifyData_.uID = 1;
  notifyData_.uFlags = platform::kNifMessage | platform::kNifIcon | platform::kNifTip;
  notifyData_.uCallbackMessage = kTrayCallbackMessage;
  isAdded_ = shell_.NotifyIcon(platform::kNimAdd, notifyData_);
  inTray_ = kTrue;
  return kTrue;
}

std::int16_t CSysTray::Remove() {
  if (isAdded_) {
    shell_.NotifyIcon(platform::kNimDelete, notifyData_);
    isAdded_ = false;
  }
  inTray_ = 0;
  return kTrue;
}

void CSysTray::OnTaskbarCreated() {
  // Also when the shell refused the first Add because there was no taskbar yet.
  if (!inTray_) return;
  isAdded_ = false;
  Add();
}

}  // namespace corvalinde
