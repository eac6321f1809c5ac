// A capture, the parent's side: a scratch key of the user's own, the module's DllRegisterServer
// run by the registrar with the roots mapped there, what it wrote read back under the roots'
// real names and written out as a .reg file, WiX source or a manifest, and the scratch key
// deleted whatever happened.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "registry/reg_file.h"
#include "registration/reg_unreg_module.h"

namespace corvalinde {

struct CaptureResult {
  RegistrationResult registration;
  std::wstring regFile;
  std::size_t keys = 0;
  std::size_t values = 0;
  // Values left out of every format, the machine holding other data (capture_exclusions.h).
  std::vector<std::wstring> excluded{};
  // Values and empty keys the machine holds already: in a .reg file, not in a package.
  std::vector<std::wstring> onMachine{};
  // For a manifest: the keys it cannot express (com_manifest.h).
  std::vector<std::wstring> notInManifest{};
};

// What a capture writes, by the file's extension: ".reg" Registry Editor's format, ".wxs" WiX
// source (wix_fragment.h), ".manifest" a registration-free COM manifest (com_manifest.h);
// nothing for any other.
enum class CaptureFormat { Reg, Wix, Manifest };
std::optional<CaptureFormat> CaptureFormatOf(const std::wstring& file);

// Where captures keep their scratch keys, under HKEY_CURRENT_USER; removed once empty.
inline constexpr std::wstring_view kCaptureParentKey = L"Software\\Corvalinde\\Capture";

// What a module wrote under the scratch key, as the roots it wrote to: each root's key there,
// named as the real root.
std::vector<RegFileRoot> ScratchRoots(const std::wstring& scratchKey);

// A new scratch key's path under HKEY_CURRENT_USER, unique to this capture: it starts with this
// process's id, so that the keys of a run that died are known for what they are.
std::wstring NewScratchKey();

// Deletes a scratch key (links in it deleted, never followed; none followed on the way to it
// either), and the program's keys once empty.
void DeleteScratchKey(platform::Registry& registry, const std::wstring& scratchKey);

// Deletes the scratch keys whose process no longer runs (the capture died with it, or was
// stopped before it could clean up), and the program's keys once empty. Only names of the form
// "<process id>.<32 hexadecimal digits>" are touched, and only where the path leads without a
// link: anything else there is not the program's to delete.
void RemoveAbandonedCaptures(platform::Registry& registry);

// The file is written only when the entry point succeeded. How it ends is the registration's
// outcome, or one of the capture's own: RegCaptureProgram (a server program writes from a process
// of its own, which no mapping reaches: not run at all), RegCaptureStopped (what the module
// wrote could not be read whole: no file), RegCaptureFileFailed (the file could not be written,
// with the system's reason; any earlier file of that name stays as it was).
CaptureResult CaptureToFile(Registrar& registrar, platform::Registry& registry,
                            const std::wstring& module, const std::wstring& regFile);

// What a written capture's message adds: the values left out, and those the machine holds
// already (in a .reg file, "already there"; in WiX source, left out), each on a line of its own
// (the first ten of each list), after a CRLF; nothing when there are none.
std::wstring CaptureNotes(const CaptureResult& capture);

// A capture whose entry point failed with "class not registered": the module created its own
// classes while registering, and COM looked for them in the real registry, where they are not.
bool UsesItsOwnClasses(const RegistrationResult& result);

// The capture file's name for a module: the folder given, the module's name with `extension` in
// place of its own.
std::wstring CaptureFileFor(const std::wstring& module, const std::wstring& folder,
                            const std::wstring& extension = L".reg");

}  // namespace corvalinde
