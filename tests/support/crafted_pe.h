// A crafted PE image of the kind that costs a careless reader dearly: many sections before the
// one that holds the data, import descriptors that all share one long list of functions (each
// of a name of its own), importing a DLL of the name given (the file's own, for a module that
// imports itself). For the unit tests, the fuzz seeds and the benchmark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace corvalinde::testing {

inline std::string CraftedImage(std::size_t sections, std::size_t descriptors,
                                std::size_t functions, const std::string& dllName) {
  auto put = [](std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  const std::size_t table = 0x98 + 0xF0;
  const std::size_t headers = (table + 40 * sections + 0x1FF) & ~std::size_t{0x1FF};
  // Empty sections below the data's, in the table before it: a linear look-up passes them all.
  const std::uint32_t base =
      static_cast<std::uint32_t>((headers + 16 * sections + 0x1FFF) & ~0xFFFu);
  std::string data;
  auto add = [&](const std::string& bytes) {
    std::uint32_t rva = base + static_cast<std::uint32_t>(data.size());
    data += bytes;
    return rva;
  };
  std::string thunks;
  for (std::size_t i = 0; i < functions; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%07zu", i);
    std::string thunk(8, '\0');
    put(thunk, 0, add(std::string(2, '\0') + name + '\0'), 8);
    thunks += thunk;
  }
  std::uint32_t list = add(thunks + std::string(8, '\0'));
  std::uint32_t dll = add(dllName + '\0');
  std::string descriptor(20, '\0');
  put(descriptor, 0, list, 4);
  put(descriptor, 12, dll, 4);
  put(descriptor, 16, list, 4);
  std::string all;
  for (std::size_t i = 0; i < descriptors; ++i) all += descriptor;
  std::uint32_t directory = add(all + std::string(20, '\0'));

  std::string image(headers, '\0');
  image[0] = 'M', image[1] = 'Z';
  put(image, 0x3C, 0x80, 4);
  put(image, 0x80, 0x00004550, 4);
  put(image, 0x84, 0x8664, 2);
  put(image, 0x86, sections, 2);
  put(image, 0x94, 0xF0, 2);
  put(image, 0x98, 0x20B, 2);
  put(image, 0x98 + 60, headers, 4);
  put(image, 0x98 + 108, 16, 4);
  put(image, 0x98 + 112 + 8, directory, 4);
  for (std::size_t i = 0; i + 1 < sections; ++i) {
    put(image, table + 40 * i + 12, headers + 16 * i, 4);  // address; no raw data
  }
  std::size_t last = table + 40 * (sections - 1);
  put(image, last + 12, base, 4);
  put(image, last + 16, data.size(), 4);
  put(image, last + 20, headers, 4);
  return image + data;
}

}  // namespace corvalinde::testing
