// The two small registry writers of the options: set one string value (creating the key path),
// or delete one value or one key. They report only true or false, never to the user.
//
// Value names: "*" is the key's default value. RegWriteString takes "" as the default value
// too; RegDeleteEntry takes "" as "delete the key named by the path itself".
#pragma once

#include <string>

#include "platform/registry.h"

namespace corvalinde {

bool RegWriteString(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName, const std::wstring& data);
bool RegDeleteEntry(platform::Registry& registry, platform::RegKey root, const std::wstring& subKey,
                    const std::wstring& valueName);

}  // namespace corvalinde
