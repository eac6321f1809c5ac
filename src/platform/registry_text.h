// Text values as the registry holds them: UTF-16LE code units. The program's wide text crosses
// here on every platform, so the portable registry stores exactly the bytes Windows would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde::platform {

// The text's bytes followed by a NUL (two zero bytes), as a REG_SZ value is written.
std::vector<std::uint8_t> ToRegistryText(std::wstring_view text);

// The text that `size` bytes spell: an odd last byte is ignored, and one terminating NUL is
// not part of the text (a multi-string keeps the NULs inside it).
std::wstring FromRegistryText(const std::uint8_t* bytes, std::size_t size);

class Registry;
// The text with the environment variables it names expanded as the registry expands a
// REG_EXPAND_SZ value; as given when that fails.
std::wstring ExpandedText(Registry& registry, const std::wstring& text);

}  // namespace corvalinde::platform
