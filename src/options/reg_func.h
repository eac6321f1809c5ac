// The small registry helpers of the options: set or read one string value (the set creating
// the key path), or delete one value or one key. They report only true or false (or nothing),
// never to the user.
//
// Value names: "*" is the key's default value. RegWriteString takes "" as the default value
// too; RegDeleteEntry takes "" as "delete the key named by the path itself".
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"

namespace corvalinde {

bool RegWriteString(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName, const std::wstring& data);
// A string value (REG_SZ or REG_EXPAND_SZ, as stored); none when it is missing or not text.
std::optional<std::wstring> RegReadString(platform::Registry& registry, platform::RegKey root,
                                          const std::wstring& subKey,
                                          const std::wstring& valueName);
bool RegDeleteEntry(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName);

}  // namespace corvalinde
