// The registry as Wine's own reg.exe exports it: an independent reading, to tell that a run
// left a root byte for byte as it was.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace corvalinde::e2e {

// What `reg export <key>` writes, as text, without the keys the system rewrites on its own
// schedule (see the source).
std::wstring Exported(const std::wstring& key);

// The export without the sections (a key's line and its values) whose key line `drop` takes.
std::wstring WithoutSections(const std::wstring& exported,
                             const std::function<bool(std::wstring_view keyLine)>& drop);

// Where two exports part ("" when they do not), short enough for a failure message.
std::string Difference(const std::wstring& before, const std::wstring& after);

}  // namespace corvalinde::e2e
