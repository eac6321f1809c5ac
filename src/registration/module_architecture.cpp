#include "registration/module_architecture.h"

#include "pe/pe_file.h"
#include "pe/pe_image.h"
#include "platform/files.h"

namespace corvalinde {

ModuleArchitecture ArchitectureOfMachine(std::uint16_t machine) {
  switch (machine) {
    case 0x014C:
      return ModuleArchitecture::X86;
    case 0x8664:
      return ModuleArchitecture::X64;
    case 0xAA64:
      return ModuleArchitecture::Arm64;
    case 0x01C4:
      return ModuleArchitecture::Arm;
    default:
      return ModuleArchitecture::Unknown;
  }
}

ModuleArchitecture ArchitectureOfImage(std::string_view bytes) {
  pe::BufferSource image{std::string(bytes)};
  auto machine = pe::ReadMachine(image);
  return machine ? ArchitectureOfMachine(*machine) : ModuleArchitecture::Unknown;
}

ModuleArchitecture ReadModuleArchitecture(const std::wstring& path) {
  if (!platform::FileExists(path)) return ModuleArchitecture::Unknown;
  auto image = pe::OpenPeFile(path);
  auto machine = image ? pe::ReadMachine(*image) : std::nullopt;
  return machine ? ArchitectureOfMachine(*machine) : ModuleArchitecture::Unknown;
}

ModuleArchitecture RunningArchitecture() {
#if defined(_M_ARM64) || defined(__aarch64__)
  return ModuleArchitecture::Arm64;
#elif defined(_M_X64) || defined(__x86_64__)
  return ModuleArchitecture::X64;
#elif defined(_M_IX86) || defined(__i386__)
  return ModuleArchitecture::X86;
#elif defined(_M_ARM) || defined(__arm__)
  return ModuleArchitecture::Arm;
#else
  return ModuleArchitecture::Unknown;
#endif
}

}  // namespace corvalinde
