// RegistryValue: what a registry read gives and a write takes. Reads give a text, a 32-bit
// integer or a byte array; writes accept any plain value.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace corvalinde {

using ByteArray = std::vector<std::uint8_t>;

using RegistryValue =
    std::variant<std::monostate, std::wstring, std::int16_t, std::int32_t, double, bool, ByteArray>;

// The value as text: texts as they are, numbers in decimal, booleans as "True"/"False", a byte
// array as its bytes in hexadecimal separated by blanks, nothing as an empty text.
std::wstring ToText(const RegistryValue& value);
// The same for a value that is not needed afterwards: a text is moved out, not copied.
std::wstring ToText(RegistryValue&& value);

}  // namespace corvalinde
