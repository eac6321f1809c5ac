#include "registration/module_architecture.h"

#include "platform/files.h"

namespace corvalinde {
namespace {

// The DOS header's pointer to the PE header may point anywhere in the file, but in practice it
// is within the first few kilobytes; beyond this the file is taken as unknown.
constexpr std::size_t kHeaderReach = 64 * 1024;

std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

}  // namespace

ModuleArchitecture ArchitectureOfImage(std::string_view bytes) {
  if (bytes.size() < 0x40 || bytes.substr(0, 2) != "MZ") return ModuleArchitecture::Unknown;
  std::uint32_t pe = Little(bytes, 0x3C, 4);
  if (pe > bytes.size() || bytes.size() - pe < 6) return ModuleArchitecture::Unknown;
  if (bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) return ModuleArchitecture::Unknown;
  switch (Little(bytes, pe + 4, 2)) {
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

ModuleArchitecture ReadModuleArchitecture(const std::wstring& path) {
  if (!platform::FileExists(path)) return ModuleArchitecture::Unknown;
  auto bytes = platform::ReadFileStart(path, kHeaderReach);
  return bytes ? ArchitectureOfImage(*bytes) : ModuleArchitecture::Unknown;
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
