// The host's side of a registration: the engine, unchanged, over the module named in its
// command, with what it finds written for the parent (see host_protocol.h).
#pragma once

#include <functional>
#include <string_view>

#include "platform/module_loader.h"
#include "registration/host_protocol.h"

namespace corvalinde {

// For each module of the command, in order: the loaded mark once its load has ended (whichever
// way), then its report; after a time-out, nothing more.
// The caller ends the process right after: a worker that did not end in time dies with it.
void RunAsHost(const HostCommand& command, platform::ModuleLoader& loader,
               const std::function<void(std::string_view)>& writeToParent);

}  // namespace corvalinde
