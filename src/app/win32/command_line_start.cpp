#include "app/win32/command_line_start.h"

#include <memory>

#include "platform/console.h"
#include "platform/host_launcher.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/win32/message_boxes.h"
#include "registration/host_registrar.h"

namespace corvalinde {

CommandLineRun RunTheCommandLine(const std::wstring& commandText) {
  auto launcher = platform::MakeSystemHostLauncher();
  std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
  HostRegistrar registrar(*launcher, platform::ExecutablePath(), registry.get());
  platform::win32::SystemMessageBoxes boxes;
  platform::SystemConsole console;
  return RunCommandLine(
      commandText, {registrar, boxes, platform::ProcessIsElevated(), &console, registry.get()});
}

}  // namespace corvalinde
