#include "platform/registry.h"

#include "platform/inmemory/memory_registry.h"

namespace corvalinde::platform {

// Linux has no registry of its own: the program's registry there lives in memory.
std::unique_ptr<Registry> MakeSystemRegistry() {
  return std::make_unique<inmemory::MemoryRegistry>();
}

}  // namespace corvalinde::platform
