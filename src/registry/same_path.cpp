#include "registry/same_path.h"

#include "common/letter_case.h"
#include "platform/files.h"
#include "platform/registry_text.h"

namespace corvalinde {

bool SamePath(platform::Registry& registry, const std::wstring& a, const std::wstring& b) {
  if (a == b) return true;
  auto normal = [&registry](const std::wstring& text) {
    std::wstring path = platform::ExpandedText(registry, text);
    const bool isPath =
        path.find(L'\\') != std::wstring::npos || (path.size() >= 2 && path[1] == L':');
    return isPath ? ToUpperText(platform::LongPath(path)) : path;
  };
  return normal(a) == normal(b);
}

}  // namespace corvalinde
