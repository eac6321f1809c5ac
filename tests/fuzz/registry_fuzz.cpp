// An in-memory registry built from arbitrary bytes (key paths, value names, types and data),
// then every read and enumeration of clsRegistry over it: no crash, no sanitizer report.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
#include "registry/cls_registry.h"

namespace {

using namespace corvalinde;
using namespace corvalinde::platform;

constexpr RegKey kRoots[] = {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine};

// A text of up to `most` characters, each from two input bytes: any UTF-16 unit, NUL included.
std::wstring WideText(FuzzedDataProvider& input, std::size_t most) {
  std::wstring text;
  std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, most);
  for (std::size_t i = 0; i < length && input.remaining_bytes() >= 2; ++i) {
    text.push_back(static_cast<wchar_t>(input.ConsumeIntegral<std::uint16_t>()));
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  inmemory::MemoryRegistry registry;
  registry.DefineEnvironmentVariable(WideText(input, 16), WideText(input, 64));
  struct Place {
    RegKey root;
    std::wstring path;
    std::vector<std::wstring> names;
  };
  std::vector<Place> places;

  while (input.remaining_bytes() > 0 && places.size() < 64) {
    Place place{kRoots[input.ConsumeIntegralInRange<int>(0, 2)], WideText(input, 300), {}};
    RegistryKey key(registry);
    if (key.Create(place.root, place.path, kKeyAllAccess) != kRegSuccess) continue;
    for (int values = input.ConsumeIntegralInRange<int>(0, 4); values > 0; --values) {
      std::wstring name = WideText(input, 40);
      auto type = input.ConsumeIntegral<std::uint32_t>() % 12;
      std::vector<std::uint8_t> bytes =
          input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 24));
      registry.SetValue(key.get(), name, type, bytes.data(),
                        static_cast<std::uint32_t>(bytes.size()));
      place.names.push_back(name);
    }
    places.push_back(std::move(place));
  }

  for (const Place& place : places) {
    clsRegistry reg(registry);
    reg.SetClassKey(static_cast<std::int32_t>(place.root));
    reg.SetSectionKey(place.path);
    reg.KeyExists();
    for (const std::wstring& name : place.names) {
      reg.SetValueKey(name);
      ToText(reg.Value());
    }
    NameArray names;
    std::int32_t count = 0;
    reg.EnumerateValues(names, count);
    if (count != names.Count()) __builtin_trap();
    reg.EnumerateSections(names, count);
    if (count != names.Count()) __builtin_trap();
  }
  return 0;
}
