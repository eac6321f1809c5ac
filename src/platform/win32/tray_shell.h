#pragma once

#include "platform/tray_shell.h"

namespace corvalinde::platform::win32 {

class SystemTrayShell final : public TrayShell {
 public:
  bool NotifyIcon(NotifyMessage message, const NotifyIconData& data) override;
  void ProcessPendingMessages() override;
};

}  // namespace corvalinde::platform::win32
