// What may stand in the extension list. Each name becomes part of a registry path
// (HKEY_CLASSES_ROOT\<name>file\shell\...), so a name that could leave that place, or cut it
// short, is never accepted: not from opz.dat, not from the dialog, not by the verb routines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvalinde {

// The most characters a name may have: its record's length in opz.dat.
inline constexpr std::size_t kExtensionLength = 50;

// True when, after trimming blanks and removing one leading ".", 1 to 50 characters remain,
// all printable ASCII and none of \ / : * ? " < > |.
bool IsValidExtensionName(std::wstring_view text);

// A valid name as the list stores it: trimmed, without its leading ".", upper case.
std::wstring StoredExtensionName(std::wstring_view text);

}  // namespace corvalinde
