#include "registration/architecture_handoff.h"

#include "common/texts.h"
#include "platform/files.h"
#include "platform/path_parts.h"

namespace corvalinde {
std::wstring TwinName(ModuleArchitecture architecture) {
  switch (architecture) {
    case ModuleArchitecture::X86:
      return L"Corvalinde32.exe";
    case ModuleArchitecture::X64:
      return L"Corvalinde64.exe";
    default:
      return {};
  }
}

std::optional<std::wstring> FindTwin(ModuleArchitecture architecture,
                                     const std::wstring& executablePath) {
  std::wstring name = TwinName(architecture);
  if (name.empty() || architecture == RunningArchitecture()) return std::nullopt;
  const std::wstring folder = platform::FolderOf(executablePath);
  const std::wstring twin = platform::JoinPath(folder, name);
  if (platform::FileExists(twin)) return twin;
  // The release ships the 64-bit build as Corvalinde.exe beside Corvalinde32.exe.
  const std::wstring main = platform::JoinPath(folder, L"Corvalinde.exe");
  if (architecture == ModuleArchitecture::X64 && main != executablePath &&
      platform::FileExists(main) && ReadModuleArchitecture(main) == ModuleArchitecture::X64) {
    return main;
  }
  return std::nullopt;
}

std::wstring ArchitectureWords(ModuleArchitecture architecture) {
  switch (architecture) {
    case ModuleArchitecture::X86:
      return std::wstring(texts::kArchitecture32);
    case ModuleArchitecture::X64:
      return std::wstring(texts::kArchitecture64);
    case ModuleArchitecture::Arm64:
      return std::wstring(texts::kArchitectureArm64);
    case ModuleArchitecture::Arm:
      return std::wstring(texts::kArchitectureArm);
    default:
      return {};
  }
}

std::wstring WrongArchitectureText(ModuleArchitecture architecture) {
  std::wstring text =
      std::wstring(texts::kWrongArchitectureStart) + ArchitectureWords(architecture) +
      std::wstring(texts::kWrongArchitectureMiddle) + ArchitectureWords(RunningArchitecture()) +
      std::wstring(texts::kWrongArchitectureEnd);
  std::wstring twin = TwinName(architecture);
  if (!twin.empty()) {
    text += std::wstring(texts::kCrLf) + std::wstring(texts::kUseTwinStart) + twin +
            std::wstring(texts::kUseTwinEnd);
  }
  return text;
}

std::wstring WrongArchitectureLineEnd(ModuleArchitecture architecture) {
  std::wstring twin = TwinName(architecture);
  return ArchitectureWords(architecture) + (twin.empty()
                                                ? std::wstring(texts::kLineNoBuild)
                                                : std::wstring(texts::kLineUseTwin) + twin + L".");
}

std::wstring WrongTwinText(const std::wstring& twin, ModuleArchitecture architecture) {
  return twin + std::wstring(texts::kWrongTwinStart) + ArchitectureWords(architecture) +
         std::wstring(texts::kWrongTwinEnd);
}

}  // namespace corvalinde
