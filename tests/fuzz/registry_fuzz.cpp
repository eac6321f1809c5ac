// An in-memory registry built from arbitrary bytes (key paths, value names, types and data),
// then every read and enumeration of clsRegistry over it: no crash, no sanitizer report.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ansi.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
#include "registry/cls_registry.h"

namespace {

using namespace corvalinde;
using namespace corvalinde::platform;

constexpr RegKey kRoots[] = {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  inmemory::MemoryRegistry registry;
  registry.DefineEnvironmentVariable(input.ConsumeRandomLengthString(16),
                                     input.ConsumeRandomLengthString(64));
  struct Place {
    RegKey root;
    std::string path;
    std::vector<std::string> names;
  };
  std::vector<Place> places;

  while (input.remaining_bytes() > 0 && places.size() < 64) {
    Place place{
        kRoots[input.ConsumeIntegralInRange<int>(0, 2)], input.ConsumeRandomLengthString(300), {}};
    RegistryKey key(registry);
    if (key.Create(place.root, place.path, kKeyAllAccess) != kRegSuccess) continue;
    for (int values = input.ConsumeIntegralInRange<int>(0, 4); values > 0; --values) {
      std::string name = input.ConsumeRandomLengthString(40);
      auto type = input.ConsumeIntegral<std::uint32_t>() % 12;
      std::vector<std::uint8_t> bytes =
          input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 24));
      // The 8-bit call may look at the byte after a string: give it one that is ours.
      std::vector<std::uint8_t> padded = bytes;
      padded.push_back(input.ConsumeIntegral<std::uint8_t>());
      registry.SetValue(key.get(), name.c_str(), type, padded.data(),
                        static_cast<std::uint32_t>(bytes.size()));
      place.names.push_back(name);
    }
    places.push_back(std::move(place));
  }

  for (const Place& place : places) {
    clsRegistry reg(registry);
    reg.SetClassKey(static_cast<std::int32_t>(place.root));
    reg.SetSectionKey(FromAnsi(place.path));
    reg.KeyExists();
    for (const std::string& name : place.names) {
      reg.SetValueKey(FromAnsi(name));
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
