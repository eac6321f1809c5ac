// A PE file on disk as a byte source: read in pages as the reader asks for them, so that
// looking at the imports of a large DLL reads a few pages of it, not the whole file.
#pragma once

#include <memory>
#include <string>

#include "pe/pe_image.h"

namespace corvalinde::pe {

// Nothing when the file cannot be opened.
std::unique_ptr<ByteSource> OpenPeFile(const std::wstring& path);

}  // namespace corvalinde::pe
