#include "common/first_lines.h"

#include "common/texts.h"

namespace corvalinde {

std::wstring FirstLines(const std::vector<std::wstring>& items, std::size_t most,
                        std::wstring_view prefix, std::wstring_view andMore) {
  std::wstring lines;
  for (std::size_t i = 0; i < items.size() && i < most; ++i) {
    lines += std::wstring(texts::kCrLf) + std::wstring(prefix) + items[i];
  }
  if (items.size() > most) {
    lines +=
        std::wstring(texts::kCrLf) + std::wstring(andMore) + std::to_wstring(items.size() - most);
  }
  return lines;
}

}  // namespace corvalinde
