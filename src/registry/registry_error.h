// RegistryError: how clsRegistry reports a failure: a number, the source (the executable's file
// name without extension, then ".cRegistry") and an English description.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvalinde {

inline constexpr std::int32_t kErrRegistryKey = 26001;
inline constexpr std::int32_t kErrValueNotStored = -2147194455;      // 0x800469A9
inline constexpr std::int32_t kErrEnumeration = -2147194454;         // 0x800469AA
inline constexpr std::int32_t kErrAssociationItems = -2147194452;    // 0x800469AC
inline constexpr std::int32_t kErrAssociationNoClass = -2147194451;  // 0x800469AD

class RegistryError : public std::runtime_error {
 public:
  RegistryError(std::int32_t number, std::wstring description);

  std::int32_t Number() const { return number_; }
  const std::wstring& Source() const { return source_; }
  const std::wstring& Description() const { return description_; }

 private:
  std::int32_t number_;
  std::wstring source_;
  std::wstring description_;
};

// The source every RegistryError carries.
std::wstring RegistryErrorSource();

}  // namespace corvalinde
