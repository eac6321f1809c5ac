// A list a message shows in part: the first items, each on a line of its own, then how many more
// there are ("… e altri 12").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde {

// For each of the first `most` items: a CRLF, `prefix` and the item; then, when there are more,
// a CRLF, `andMore` and their number. Nothing for no items.
std::wstring FirstLines(const std::vector<std::wstring>& items, std::size_t most,
                        std::wstring_view prefix, std::wstring_view andMore);

}  // namespace corvalinde
