// What a capture found, written as a registration-free COM manifest: an assembly of the one
// module, its in-process classes, type libraries and the interfaces their type libraries
// marshal, so that a program activating the manifest uses the module unregistered.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "registration/module_architecture.h"
#include "registration/wix_fragment.h"

namespace corvalinde {

struct ComManifest {
  std::string text;  // UTF-8
  // What a manifest cannot express, by key under the classes ("CLSID\{…}" of a class with no
  // in-process server, say): left out.
  std::vector<std::wstring> leftOut;
};

// The manifest for `module` (its full path): named after its file name, with its version
// (1.0.0.0 when it has none) and processor.
ComManifest MakeComManifest(const std::wstring& module, const std::vector<CapturedValue>& values,
                            ModuleArchitecture architecture,
                            const std::optional<std::array<std::uint16_t, 4>>& version);

}  // namespace corvalinde
