#include "registry/registry_error.h"

#include "platform/process.h"

namespace corvalinde {

std::wstring RegistryErrorSource() {
  std::wstring path = platform::ExecutablePath();
  std::size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name + L".cRegistry";
}

RegistryError::RegistryError(std::int32_t number, std::wstring description)
    : std::runtime_error("registry error " + std::to_string(number)),
      number_(number),
      source_(RegistryErrorSource()),
      description_(std::move(description)) {}

}  // namespace corvalinde
