// Which processor a module is built for, read from its PE header without loading it (so none
// of its code runs). A 64-bit process cannot load a 32-bit module, nor the reverse.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvalinde {

enum class ModuleArchitecture { Unknown, X86, X64, Arm64, Arm };

// Unknown when the file cannot be read or is not a PE image.
ModuleArchitecture ReadModuleArchitecture(const std::wstring& path);
// The architecture of an IMAGE_FILE_HEADER.Machine value.
ModuleArchitecture ArchitectureOfMachine(std::uint16_t machine);
// The same, from the file's first bytes.
ModuleArchitecture ArchitectureOfImage(std::string_view bytes);

// The architecture of this very build of the program.
ModuleArchitecture RunningArchitecture();

}  // namespace corvalinde
