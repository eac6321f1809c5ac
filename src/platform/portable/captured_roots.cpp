#include "platform/captured_roots.h"

namespace corvalinde::platform {

// The portable loader's modules write no registry of ours, and there are no predefined keys to
// map: a capture is not supported (ERROR_NOT_SUPPORTED).
std::uint32_t MapRootsToScratch(const std::wstring&) {
  return 50;
}

void RestoreCapturedRoots() {}

}  // namespace corvalinde::platform
