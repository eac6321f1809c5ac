// Paths as text, taken apart one way everywhere: "\" and "/" both end a folder, and so does
// the colon of a drive ("C:name" is the file "name" in the current folder of C:). Nothing here
// looks at the disk.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde::platform {

// After the last separator; the whole path when it has none.
std::wstring FileNameOf(std::wstring_view path);
// Before the last separator, without it ("C:" for "C:\a.dll" and for "C:a.dll"); empty when
// there is none.
std::wstring FolderOf(std::wstring_view path);
// The file name's last "." and what follows, as written; empty when the name has no dot.
std::wstring ExtensionOf(std::wstring_view path);
// The path without its file name's extension.
std::wstring WithoutExtension(std::wstring_view path);

}  // namespace corvalinde::platform
