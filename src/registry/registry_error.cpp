#include "registry/registry_error.h"

#include "platform/path_parts.h"
#include "platform/process.h"

namespace corvalinde {

std::wstring RegistryErrorSource() {
  return platform::WithoutExtension(platform::FileNameOf(platform::ExecutablePath())) +
         L".cRegistry";
}

RegistryError::RegistryError(std::int32_t number, std::wstring description)
    : std::runtime_error("registry error " + std::to_string(number)),
      number_(number),
      source_(RegistryErrorSource()),
      description_(std::move(description)) {}

}  // namespace corvalinde
