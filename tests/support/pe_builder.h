// PE32+ images built for the tests: what a linker writes, and what a damaged or crafted file
// holds instead. The data the test adds lands in one section; empty sections may stand before it
// in the table (a linear look-up passes them all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde::testing {

class ImageBuilder {
 public:
  explicit ImageBuilder(std::size_t emptySections = 0)
      : emptySections_(emptySections),
        headers_((kTable + 40 * (emptySections + 1) + 0x1FF) & ~std::size_t{0x1FF}),
        base_(emptySections ? static_cast<std::uint32_t>((headers_ + 16 * emptySections + 0x1FFF) &
                                                         ~std::size_t{0xFFF})
                            : 0x1000) {}

  // Adds bytes to the section; their RVA.
  std::uint32_t Add(std::string_view bytes) {
    std::uint32_t rva = base_ + static_cast<std::uint32_t>(section_.size());
    section_.append(bytes);
    return rva;
  }
  std::uint32_t AddName(std::string_view name) { return Add(std::string(name) + '\0'); }
  static std::string U32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
  }
  static std::string U64(std::uint64_t value) { return U32(value & 0xFFFFFFFF) + U32(value >> 32); }
  // A thunk list naming `functions` ("#n" by ordinal), ended by a zero.
  std::uint32_t AddThunks(const std::vector<std::string>& functions) {
    std::string thunks;
    for (const std::string& function : functions) {
      if (function[0] == '#') {
        thunks += U64((1ull << 63) | std::stoull(function.substr(1)));
      } else {
        thunks += U64(Add(std::string(2, '\0') + function + '\0'));
      }
    }
    return Add(thunks + U64(0));
  }
  void SetDirectory(int index, std::uint32_t rva) { directories_[index] = rva; }

  std::string Build() const {
    std::string image(headers_, '\0');
    image[0] = 'M', image[1] = 'Z';
    Put(image, 0x3C, U32(0x80));
    Put(image, 0x80, std::string("PE\0\0", 4));
    Put(image, 0x84, std::string("\x64\x86", 2));  // x64
    Put(image, 0x86, U32(static_cast<std::uint32_t>(emptySections_ + 1)).substr(0, 2));
    Put(image, 0x94, std::string("\xF0\x00", 2));  // optional header size
    Put(image, 0x98, std::string("\x0B\x02", 2));  // PE32+
    Put(image, 0x98 + 60, U32(static_cast<std::uint32_t>(headers_)));
    Put(image, 0x98 + 108, U32(16));
    for (int i = 0; i < 16; ++i) Put(image, 0x98 + 112 + 8 * i, U32(directories_[i]));
    for (std::size_t i = 0; i < emptySections_; ++i) {  // an address, no raw data
      Put(image, kTable + 40 * i + 12, U32(static_cast<std::uint32_t>(headers_ + 16 * i)));
    }
    const std::size_t last = kTable + 40 * emptySections_;
    Put(image, last + 12, U32(base_));
    Put(image, last + 16, U32(static_cast<std::uint32_t>(section_.size())));
    Put(image, last + 20, U32(static_cast<std::uint32_t>(headers_)));
    return image + section_;
  }

 private:
  static constexpr std::size_t kTable = 0x98 + 0xF0;  // the section table
  static void Put(std::string& image, std::size_t at, const std::string& bytes) {
    image.replace(at, bytes.size(), bytes);
  }
  std::size_t emptySections_;
  std::size_t headers_;
  std::uint32_t base_;
  std::string section_ = std::string(16, '\0');  // the section's start is never a directory
  std::uint32_t directories_[16] = {};
};

// An image of the kind that costs a careless reader dearly: many sections before the one that
// holds the data, import descriptors that all share one long list of functions (each of a name
// of its own), importing a DLL of the name given (the file's own, for a module that imports
// itself). For the unit tests, the fuzz seeds and the benchmark.
inline std::string CraftedImage(std::size_t sections, std::size_t descriptors,
                                std::size_t functions, const std::string& dllName) {
  ImageBuilder image(sections - 1);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < functions; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f%07zu", i);
    names.emplace_back(name);
  }
  const std::uint32_t list = image.AddThunks(names), dll = image.AddName(dllName);
  const std::string descriptor = ImageBuilder::U32(list) + std::string(8, '\0') +
                                 ImageBuilder::U32(dll) + ImageBuilder::U32(list);
  std::string all;
  for (std::size_t i = 0; i < descriptors; ++i) all += descriptor;
  image.SetDirectory(1, image.Add(all + std::string(20, '\0')));
  return image.Build();
}

}  // namespace corvalinde::testing
