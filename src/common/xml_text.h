// Text as XML wants it inside an attribute or an element.
#pragma once

#include <string>
#include <string_view>

namespace corvalinde {

// "&", "<", ">" and '"' as entities, tab and line ends as character references; any other
// control character, which XML 1.0 cannot hold even as a reference, as U+FFFD.
std::wstring XmlEscaped(std::wstring_view text);

}  // namespace corvalinde
