// What a capture found, written as WiX source: one fragment whose component installs the module
// and writes its registration, as an installer author would write it by hand. WiX 3's dialect
// (what Debian's wixl builds as well, but for the types it does not know; see the README).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvalinde {

// One value a capture kept: its key as a .reg file names it ("HKEY_CLASSES_ROOT\CLSID\{...}"),
// its name (empty for the default), type and data.
struct CapturedValue {
  std::wstring key;
  std::wstring name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// The directory the fragment installs into: the product that uses it defines it.
inline constexpr wchar_t kWixInstallFolder[] = L"INSTALLFOLDER";

// The fragment for `module` (its full path), the values its registration wrote and the keys it
// created with neither values nor keys below them (created on install, removed on uninstall),
// as UTF-8; a 64-bit module's component writes to the 64-bit registry (WiX's Win64).
// Ids derive from the module's file name alone, so two captures of one module give one text.
// The module's path in a value becomes a reference to its file, its folder a reference to the
// install folder. Values Windows Installer cannot write (a REG_QWORD...) are named in a comment.
std::string WixFragment(const std::wstring& module, const std::vector<CapturedValue>& values,
                        const std::vector<std::wstring>& emptyKeys, bool sixtyFourBit);

// The ids a fragment gives the module's file and its component.
std::wstring WixFileId(const std::wstring& module);
std::wstring WixComponentId(const std::wstring& module);

}  // namespace corvalinde
