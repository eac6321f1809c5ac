// The PE reader on arbitrary bytes: no crash, no read past the input, no sanitizer report. An
// input that is not already an image gets headers whose directories point into it, so the
// fuzzer spends its time on import, delay-import and export directories.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pe/pe_image.h"

namespace {

void Put(std::string& image, std::size_t at, std::uint32_t value, std::size_t width = 4) {
  for (std::size_t i = 0; i < width; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
}

std::string Headers(std::size_t sectionSize, bool wide) {
  std::string image(0x400, '\0');
  image[0] = 'M', image[1] = 'Z';
  Put(image, 0x3C, 0x80);
  Put(image, 0x80, 0x00004550);
  Put(image, 0x84, wide ? 0x8664 : 0x014C, 2);
  Put(image, 0x86, 1, 2);
  std::size_t optionalSize = wide ? 0xF0 : 0xE0, directories = wide ? 112 : 96;
  Put(image, 0x94, static_cast<std::uint32_t>(optionalSize), 2);
  Put(image, 0x98, wide ? 0x20B : 0x10B, 2);
  Put(image, 0x98 + 60, 0x400);
  Put(image, 0x98 + directories - 4, 16);
  Put(image, 0x98 + directories + 8 * 0, 0x1000);         // exports
  Put(image, 0x98 + directories + 8 * 1, 0x1000 + 64);    // imports
  Put(image, 0x98 + directories + 8 * 13, 0x1000 + 128);  // delay imports
  std::size_t table = 0x98 + optionalSize;
  Put(image, table + 12, 0x1000);
  Put(image, table + 16, static_cast<std::uint32_t>(sectionSize));
  Put(image, table + 20, 0x400);
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.rfind("MZ", 0) != 0) bytes = Headers(bytes.size(), size % 2 == 0) + bytes;
  corvalinde::pe::BufferSource source(bytes);
  if (auto image = corvalinde::pe::ReadPeImage(source)) {
    for (const auto& dll : image->imports) {
      for (const auto& function : dll.functions) image->Exports(function);
    }
  }
  return 0;
}
