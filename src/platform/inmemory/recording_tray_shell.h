// A notification area that shows nothing: it records every call with the record as it was
// sent, and accepts or refuses as the test says.
#pragma once

#include <vector>

#include "platform/tray_shell.h"

namespace corvalinde::platform::inmemory {

class RecordingTrayShell final : public TrayShell {
 public:
  struct Call {
    NotifyMessage message;
    NotifyIconData data;
  };

  bool NotifyIcon(NotifyMessage message, const NotifyIconData& data) override {
    calls.push_back({message, data});
    // Like the shell: changing or removing an icon that is not there fails.
    if (message == kNimAdd) {
      if (accepting) present = true;
      return accepting;
    }
    if (message == kNimDelete) {
      bool was = present;
      present = false;
      return was;
    }
    return present;
  }
  void ProcessPendingMessages() override { ++messagePasses; }

  bool accepting = true;
  bool present = false;
  int messagePasses = 0;
  std::vector<Call> calls;
};

}  // namespace corvalinde::platform::inmemory
