#include "registration/capture_to_file.h"

#include "platform/captured_roots.h"
#include "platform/files.h"
#include "platform/random_name.h"
#include "registry/key_tree.h"
#include "registry/reg_file.h"

namespace corvalinde {

std::wstring NewScratchKey() {
  return std::wstring(kCaptureParentKey) + L"\\" + platform::RandomName();
}

CaptureResult CaptureToFile(Registrar& registrar, platform::Registry& registry,
                            const std::wstring& module, const std::wstring& regFile) {
  CaptureResult capture;
  capture.regFile = regFile;
  const std::wstring scratch = NewScratchKey();
  capture.registration = registrar.Capture(module, scratch);
  if (capture.registration.outcome == RegDone) {
    std::vector<RegFileRoot> roots;
    for (const platform::CapturedRoot& root : platform::kCapturedRoots) {
      roots.push_back({platform::kHkeyCurrentUser, scratch + L"\\" + std::wstring(root.name),
                       std::wstring(root.name)});
    }
    RegFileText text = WriteRegFile(registry, roots);
    std::uint32_t error = 0;
    if (platform::ReplaceFileContent(regFile, RegFileBytes(text.text), &error)) {
      capture.keys = text.keys;
      capture.values = text.values;
    } else {
      capture.registration.outcome = RegCaptureFailed;
      capture.registration.loadError = error;
      capture.fileUnwritten = true;
    }
  }
  // Whatever happened: the host has ended (a time-out ended it), so nothing writes there now.
  DeleteKeyTree(registry, platform::kHkeyCurrentUser, scratch);
  DeleteKeyIfEmpty(registry, platform::kHkeyCurrentUser, std::wstring(kCaptureParentKey));
  const std::wstring program(kCaptureParentKey.substr(0, kCaptureParentKey.rfind(L'\\')));
  DeleteKeyIfEmpty(registry, platform::kHkeyCurrentUser, program);
  return capture;
}

std::wstring CaptureFileFor(const std::wstring& module, const std::wstring& folder) {
  std::size_t nameAt = module.find_last_of(L"\\/:");
  std::wstring name = module.substr(nameAt == std::wstring::npos ? 0 : nameAt + 1);
  std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && dot > 0) name.resize(dot);
  return platform::JoinPath(folder, name + L".reg");
}

}  // namespace corvalinde
