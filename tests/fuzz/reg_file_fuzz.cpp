// The .reg reader on arbitrary bytes: no crash, no sanitizer report; and whatever it reads, the
// writer writes out in a form the reader reads back to the same registry (written again, the
// same text). Inputs without the byte-order mark and header get them, so the fuzzer spends its
// time on keys and values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/inmemory/memory_registry.h"
#include "registry/reg_file.h"

namespace {

using namespace corvalinde;

std::wstring Everything(platform::Registry& registry) {
  return WriteRegFile(registry, {{platform::kHkeyCurrentUser, L"", L"HKEY_CURRENT_USER"},
                                 {platform::kHkeyLocalMachine, L"", L"HKEY_LOCAL_MACHINE"},
                                 {platform::kHkeyUsers, L"", L"HKEY_USERS"},
                                 {platform::kHkeyCurrentConfig, L"", L"HKEY_CURRENT_CONFIG"}})
      .text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.rfind("\xFF\xFE", 0) != 0) {
    bytes = RegFileBytes(L"Windows Registry Editor Version 5.00\r\n\r\n[HKCU\\F]\r\n") + bytes;
  }
  platform::inmemory::MemoryRegistry first;
  ReadRegFile(bytes, first);  // a problem anywhere writes nothing
  const std::wstring written = Everything(first);
  platform::inmemory::MemoryRegistry second;
  if (ReadRegFile(RegFileBytes(written), second) || Everything(second) != written) std::abort();
  return 0;
}
