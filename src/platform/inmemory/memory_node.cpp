#include "platform/inmemory/memory_node.h"

namespace corvalinde::platform::inmemory::detail {

// Upper case as the registry compares names, for the scripts the program and its tests meet.
wchar_t Upper(wchar_t c) {
  auto u = static_cast<std::uint32_t>(c);
  if (u < 0x80) return (u >= 'a' && u <= 'z') ? static_cast<wchar_t>(u - 32) : c;
  if ((u >= 0xE0 && u <= 0xFE && u != 0xF7) ||     // Latin-1
      (u >= 0x3B1 && u <= 0x3CB && u != 0x3C2) ||  // Greek
      (u >= 0x430 && u <= 0x44F)) {                // Cyrillic
    return static_cast<wchar_t>(u - 32);
  }
  if (u == 0xFF) return static_cast<wchar_t>(0x178);
  if (u >= 0x450 && u <= 0x45F) return static_cast<wchar_t>(u - 80);
  if (u >= 0x100 && u <= 0x17F && u != 0x131 && u != 0x138 && u != 0x149 && u != 0x17F) {
    // Latin Extended-A pairs: upper on even code points, except in the two runs that start odd.
    bool oddRun = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
    if ((u % 2 == 0) == oddRun) return static_cast<wchar_t>(u - 1);
  }
  return c;
}

std::wstring UpperName(std::wstring_view name) {
  std::wstring upper(name);
  for (wchar_t& c : upper) c = Upper(c);
  return upper;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

bool HoldsNul(std::wstring_view text) {
  return text.find(L'\0') != std::wstring_view::npos;
}

Node* Walk(Node* start, std::wstring_view path) {
  Node* node = start;
  bool valid = node && ForEachName(path, [&](std::wstring_view, const std::wstring& upper) {
                 node = node->Child(upper);
                 return node != nullptr;
               });
  return valid ? node : nullptr;
}

}  // namespace corvalinde::platform::inmemory::detail
