#include "registration/capture_to_file.h"

#include <cstdint>
#include <optional>

#include "common/first_lines.h"
#include "common/texts.h"
#include "platform/path_parts.h"
#include "registration/capture_exclusions.h"
#include "registration/com_manifest.h"
#include "registration/module_architecture.h"
#include "registration/module_kind.h"
#include "registration/wix_fragment.h"
#include "platform/captured_roots.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/random_name.h"
#include "platform/registry_key.h"
#include "registry/key_tree.h"
#include "registry/reg_file.h"

namespace corvalinde {

std::vector<RegFileRoot> ScratchRoots(const std::wstring& scratchKey) {
  std::vector<RegFileRoot> roots;
  for (const platform::CapturedRoot& root : platform::kCapturedRoots) {
    roots.push_back({platform::kHkeyCurrentUser, scratchKey + L"\\" + std::wstring(root.name),
                     std::wstring(root.name)});
  }
  return roots;
}

std::wstring NewScratchKey() {
  return std::wstring(kCaptureParentKey) + L"\\" + std::to_wstring(platform::CurrentProcessId()) +
         L"." + platform::RandomName();
}

namespace {

void RemoveProgramKeysIfEmpty(platform::Registry& registry) {
  DeleteKeyIfEmpty(registry, platform::kHkeyCurrentUser, std::wstring(kCaptureParentKey));
  const std::wstring program(kCaptureParentKey.substr(0, kCaptureParentKey.rfind(L'\\')));
  DeleteKeyIfEmpty(registry, platform::kHkeyCurrentUser, program);
}

// The processor the module is built for, by its own header (a 32-bit module is captured by the
// 32-bit build and writes to the 32-bit registry), else this build's.
ModuleArchitecture CapturedArchitecture(const std::wstring& module) {
  ModuleArchitecture architecture = ReadModuleArchitecture(module);
  return architecture == ModuleArchitecture::Unknown ? RunningArchitecture() : architecture;
}

// The file in the format its name asks for.
std::string FileContent(CaptureResult& capture, const std::wstring& module, const RegFileText& text,
                        const std::vector<CapturedValue>& kept,
                        const std::vector<std::wstring>& keptEmptyKeys) {
  switch (CaptureFormatOf(capture.regFile).value_or(CaptureFormat::Reg)) {
    case CaptureFormat::Wix: {
      ModuleArchitecture architecture = CapturedArchitecture(module);
      return WixFragment(
          platform::FullPath(module), kept, keptEmptyKeys,
          architecture == ModuleArchitecture::X64 || architecture == ModuleArchitecture::Arm64);
    }
    case CaptureFormat::Manifest: {
      std::optional<platform::VersionResource> resource = platform::ReadVersionResource(module);
      ComManifest manifest =
          MakeComManifest(platform::FullPath(module), kept, CapturedArchitecture(module),
                          resource ? std::optional(resource->fileVersion) : std::nullopt);
      capture.notInManifest = std::move(manifest.leftOut);
      return std::move(manifest.text);
    }
    case CaptureFormat::Reg:
      break;
  }
  return RegFileBytes(text.text);
}

}  // namespace

std::optional<CaptureFormat> CaptureFormatOf(const std::wstring& file) {
  const std::wstring extension = LowerExtension(file);
  if (extension == L".reg") return CaptureFormat::Reg;
  if (extension == L".wxs") return CaptureFormat::Wix;
  if (extension == L".manifest") return CaptureFormat::Manifest;
  return std::nullopt;
}

namespace {

// "<process id>.<32 hexadecimal digits>": the only names a capture makes there.
std::optional<std::uint32_t> ScratchKeyOwner(const std::wstring& name) {
  const std::size_t dot = name.find(L'.');
  if (dot == 0 || dot == std::wstring::npos || dot > 10 || name.size() != dot + 33 ||
      name.find_first_not_of(L"0123456789") != dot ||
      name.find_first_not_of(L"0123456789abcdef", dot + 1) != std::wstring::npos) {
    return std::nullopt;
  }
  const unsigned long long owner = std::stoull(name.substr(0, dot));
  if (owner > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(owner);
}

// The scratch keys' parent, reached without passing through a link.
bool OpenCaptureParent(platform::Registry& registry, platform::RegistryKey& parent) {
  return OpenKeyWithoutLinks(registry, platform::kHkeyCurrentUser, std::wstring(kCaptureParentKey),
                             platform::kKeyRead | platform::kKeyDelete,
                             parent) == platform::kRegSuccess;
}

}  // namespace

void DeleteScratchKey(platform::Registry& registry, const std::wstring& scratchKey) {
  const std::wstring parentPath(kCaptureParentKey);
  platform::RegistryKey parent(registry);
  if (scratchKey.size() > parentPath.size() + 1 &&
      scratchKey.compare(0, parentPath.size() + 1, parentPath + L"\\") == 0 &&
      OpenCaptureParent(registry, parent)) {
    DeleteKeyTree(registry, parent.get(), scratchKey.substr(parentPath.size() + 1));
  }
  RemoveProgramKeysIfEmpty(registry);
}

void RemoveAbandonedCaptures(platform::Registry& registry) {
  platform::RegistryKey parent(registry);
  if (!OpenCaptureParent(registry, parent)) return;
  for (const std::wstring& name : SubKeyNames(registry, parent.get())) {
    std::optional<std::uint32_t> owner = ScratchKeyOwner(name);
    if (!owner || platform::ProcessIsRunning(*owner)) continue;
    DeleteKeyTree(registry, parent.get(), name);
  }
  parent.Close();
  RemoveProgramKeysIfEmpty(registry);
}

CaptureResult CaptureToFile(Registrar& registrar, platform::Registry& registry,
                            const std::wstring& module, const std::wstring& regFile) {
  CaptureResult capture;
  capture.regFile = regFile;
  if (KindOfModule(module) == ModuleKind::ServerProgram) {
    capture.registration.outcome = RegCaptureProgram;
    return capture;
  }
  RemoveAbandonedCaptures(registry);
  const std::wstring scratch = NewScratchKey();
  capture.registration = registrar.Capture(module, scratch);
  if (capture.registration.outcome == RegDone) {
    CaptureExclusions exclusions(registry);
    std::vector<CapturedValue> kept;
    RegFileText text = WriteRegFile(registry, ScratchRoots(scratch),
                                    [&](const std::wstring& key, const std::wstring& name,
                                        std::uint32_t type, const std::vector<std::uint8_t>& data) {
                                      switch (exclusions.Judge(key, name, type, data)) {
                                        case CapturedFate::Differs:
                                          return false;
                                        case CapturedFate::Kept:
                                          kept.push_back({key, name, type, data});
                                          break;
                                        case CapturedFate::OnMachine:
                                          break;
                                      }
                                      return true;
                                    });
    const std::size_t onMachineValues = exclusions.OnMachine().size();  // no key judged yet
    std::vector<std::wstring> keptEmptyKeys;
    for (const std::wstring& key : text.emptyKeys) {
      if (exclusions.JudgeEmptyKey(key) == CapturedFate::Kept) keptEmptyKeys.push_back(key);
    }
    capture.excluded = exclusions.Differing();
    capture.onMachine = exclusions.OnMachine();
    std::uint32_t error = 0;
    if (text.stopped != RegFileStop::None) {
      capture.registration.outcome = RegCaptureStopped;
      capture.registration.stop = text.stopped;
      capture.registration.subject = std::move(text.stoppedAt);
    } else if (platform::ReplaceFileContent(
                   regFile, FileContent(capture, module, text, kept, keptEmptyKeys), &error)) {
      capture.keys = text.keys;
      capture.values = text.values;
      // A package carries none of the values the machine holds already.
      if (CaptureFormatOf(regFile) == CaptureFormat::Wix) capture.values -= onMachineValues;
    } else {
      capture.registration.outcome = RegCaptureFileFailed;
      capture.registration.loadError = error;
      capture.registration.subject = regFile;
    }
  }
  // Whatever happened: the host has ended (a time-out ended it), so nothing writes there now.
  DeleteScratchKey(registry, scratch);
  return capture;
}

std::wstring CaptureNotes(const CaptureResult& capture) {
  std::wstring notes;
  auto list = [&](std::wstring_view heading, const std::vector<std::wstring>& lines) {
    if (lines.empty()) return;
    notes += std::wstring(texts::kCrLf) + std::wstring(heading) +
             FirstLines(lines, 10, L"  ", texts::kAndOthers);
  };
  list(texts::kCaptureExcluded, capture.excluded);
  switch (CaptureFormatOf(capture.regFile).value_or(CaptureFormat::Reg)) {
    case CaptureFormat::Reg:
      list(texts::kCaptureAlreadyOnMachine, capture.onMachine);
      break;
    case CaptureFormat::Wix:
      list(texts::kCaptureExcludedOnMachine, capture.onMachine);
      break;
    case CaptureFormat::Manifest:  // it names nothing outside the classes
      break;
  }
  if (!capture.notInManifest.empty()) {
    notes += std::wstring(texts::kCrLf) + std::wstring(texts::kCaptureNotInManifest) +
             FirstLines(capture.notInManifest, 10, L"  ", texts::kAndOthers);
  }
  return notes;
}

bool UsesItsOwnClasses(const RegistrationResult& result) {
  constexpr std::uint32_t kClassNotRegistered = 0x80040154;
  return result.outcome == RegEntryFailed &&
         static_cast<std::uint32_t>(result.entryStatus) == kClassNotRegistered;
}

std::wstring CaptureFileFor(const std::wstring& module, const std::wstring& folder,
                            const std::wstring& extension) {
  std::wstring name = platform::FileNameOf(module);
  // A name that is all extension (".dll") keeps it as its name.
  if (name.rfind(L'.') != 0) name = platform::WithoutExtension(name);
  return platform::JoinPath(folder, name + extension);
}

}  // namespace corvalinde
