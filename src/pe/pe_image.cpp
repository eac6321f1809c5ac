#include "pe/pe_image.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

namespace corvalinde::pe {
namespace {

constexpr std::size_t kExportDirectory = 0, kImportDirectory = 1, kDelayImportDirectory = 13;
constexpr std::size_t kDirectories = 16;

struct Section {
  std::uint32_t address = 0, rawSize = 0, rawOffset = 0;
};

class Reader {
 public:
  Reader(ByteSource& file, ReadBudget* budget) : file_(file), budget_(budget ? *budget : own_) {}

  // Counts down the imported functions read.
  bool TakeFunction() { return budget_.functionsLeft > 0 && budget_.functionsLeft-- > 0; }

  template <typename Value>
  bool Read(std::uint64_t at, Value& value) {
    std::array<unsigned char, sizeof(Value)> bytes{};
    if (!ReadAt(at, bytes.size(), reinterpret_cast<char*>(bytes.data()))) return false;
    value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) value |= static_cast<Value>(bytes[i]) << (8 * i);
    return true;
  }

  // A NUL-ended name of at most kLongestName characters; nothing when it has no end there.
  std::optional<std::string> Name(std::uint64_t at) {
    std::string name;
    char chunk[64];
    while (name.size() < kLongestName) {
      std::uint64_t left = file_.Size() > at ? file_.Size() - at : 0;
      std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof chunk, left));
      if (want == 0 || !ReadAt(at, want, chunk)) return std::nullopt;
      const char* end = static_cast<const char*>(std::memchr(chunk, '\0', want));
      name.append(chunk, end ? static_cast<std::size_t>(end - chunk) : want);
      if (end) return name.size() <= kLongestName ? std::optional(name) : std::nullopt;
      at += want;
    }
    return std::nullopt;
  }

 private:
  bool ReadAt(std::uint64_t at, std::size_t size, char* out) {
    if (budget_.bytesLeft < size) return false;
    budget_.bytesLeft -= size;
    return file_.ReadAt(at, size, out);
  }

  ByteSource& file_;
  ReadBudget own_;
  ReadBudget& budget_;
};

struct Layout {
  bool wide = false;  // PE32+: 8-byte thunks and image base
  std::uint64_t imageBase = 0;
  std::uint32_t headerSize = 0;
  std::vector<Section> sections;  // by address: found by a binary search
  std::array<std::pair<std::uint32_t, std::uint32_t>, kDirectories> directories{};

  // Where the byte at `rva` is in the file; nothing when the file does not hold it.
  std::optional<std::uint64_t> OffsetOf(std::uint64_t rva) const {
    if (rva < headerSize) return rva;
    // The last section that starts at or below it (sections of a real image do not overlap).
    auto after = std::upper_bound(
        sections.begin(), sections.end(), rva,
        [](std::uint64_t value, const Section& section) { return value < section.address; });
    if (after == sections.begin()) return std::nullopt;
    const Section& section = *std::prev(after);
    if (rva - section.address >= section.rawSize) return std::nullopt;
    return std::uint64_t{section.rawOffset} + (rva - section.address);
  }
};

std::optional<Layout> ReadLayout(Reader& read, std::uint64_t header) {
  std::uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
  if (!read.Read(header + 6, sectionCount) || !read.Read(header + 20, optionalSize)) return {};
  std::uint64_t optional = header + 24;
  if (!read.Read(optional, magic) || (magic != 0x10B && magic != 0x20B)) return {};
  Layout layout;
  layout.wide = magic == 0x20B;
  std::uint32_t directoryCount = 0;
  if (layout.wide) {
    if (!read.Read(optional + 24, layout.imageBase)) return {};
  } else {
    std::uint32_t base = 0;
    if (!read.Read(optional + 28, base)) return {};
    layout.imageBase = base;
  }
  std::uint64_t directories = optional + (layout.wide ? 112 : 96);
  if (!read.Read(optional + 60, layout.headerSize) || !read.Read(directories - 4, directoryCount)) {
    return {};
  }
  // Only the directories that fit in the optional header as it says it is.
  std::uint64_t room =
      optional + optionalSize > directories ? (optional + optionalSize - directories) / 8 : 0;
  std::size_t count =
      static_cast<std::size_t>(std::min<std::uint64_t>({directoryCount, room, kDirectories}));
  for (std::size_t i = 0; i < count; ++i) {
    auto& [address, size] = layout.directories[i];
    if (!read.Read(directories + 8 * i, address) || !read.Read(directories + 8 * i + 4, size)) {
      return {};
    }
  }
  std::uint64_t table = optional + optionalSize;
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    Section section;
    std::uint64_t entry = table + 40ull * i;
    if (!read.Read(entry + 12, section.address) || !read.Read(entry + 16, section.rawSize) ||
        !read.Read(entry + 20, section.rawOffset)) {
      break;  // a table cut short: the sections that were read still count
    }
    layout.sections.push_back(section);
  }
  std::stable_sort(layout.sections.begin(), layout.sections.end(),
                   [](const Section& a, const Section& b) { return a.address < b.address; });
  return layout;
}

// The name at `rva`, when the file holds it with its end.
std::optional<std::string> NameAt(Reader& read, const Layout& layout, std::uint64_t rva) {
  auto at = layout.OffsetOf(rva);
  return at ? read.Name(*at) : std::nullopt;
}

// The functions of one DLL from its name table (thunks): by name, or "#n" by ordinal.
std::vector<std::string> ReadThunks(Reader& read, const Layout& layout, std::uint64_t table) {
  std::vector<std::string> functions;
  const std::uint64_t width = layout.wide ? 8 : 4;
  const std::uint64_t byOrdinal = layout.wide ? 1ull << 63 : 1ull << 31;
  for (std::size_t i = 0; i < kMostFunctionsPerDll && read.TakeFunction(); ++i) {
    auto at = layout.OffsetOf(table + width * i);
    std::uint64_t thunk = 0;
    if (layout.wide) {
      if (!at || !read.Read(*at, thunk)) break;
    } else {
      std::uint32_t narrow = 0;
      if (!at || !read.Read(*at, narrow)) break;
      thunk = narrow;
    }
    if (thunk == 0) break;
    if (thunk & byOrdinal) {
      std::string ordinal(1, '#');  // not "#" + ...: GCC 12 at -O3 warns about that wrongly
      ordinal += std::to_string(thunk & 0xFFFF);
      functions.push_back(std::move(ordinal));
    } else if (auto name = NameAt(read, layout, (thunk & 0x7FFFFFFF) + 2)) {  // after the hint
      functions.push_back(std::move(*name));
    }
  }
  return functions;
}

void ReadImports(Reader& read, const Layout& layout, std::vector<ImportedDll>& imports) {
  std::uint32_t directory = layout.directories[kImportDirectory].first;
  for (std::size_t i = 0; directory && i < kMostImportedDlls; ++i) {
    auto at = layout.OffsetOf(directory + 20ull * i);
    std::uint32_t names = 0, nameAddress = 0, addresses = 0;
    if (!at || !read.Read(*at, names) || !read.Read(*at + 12, nameAddress) ||
        !read.Read(*at + 16, addresses)) {
      break;
    }
    if (nameAddress == 0 && addresses == 0) break;
    auto name = NameAt(read, layout, nameAddress);
    if (!name || name->empty()) continue;
    imports.push_back({std::move(*name), ReadThunks(read, layout, names ? names : addresses)});
  }
}

void ReadDelayImports(Reader& read, const Layout& layout, std::vector<ImportedDll>& imports) {
  std::uint32_t directory = layout.directories[kDelayImportDirectory].first;
  for (std::size_t i = 0; directory && i < kMostImportedDlls; ++i) {
    auto at = layout.OffsetOf(directory + 32ull * i);
    std::uint32_t attributes = 0, nameAddress = 0, names = 0;
    if (!at || !read.Read(*at, attributes) || !read.Read(*at + 4, nameAddress) ||
        !read.Read(*at + 16, names)) {
      break;
    }
    if (nameAddress == 0) break;
    // Old linkers wrote addresses, not offsets from the image's base.
    auto relative = [&](std::uint64_t value) -> std::uint64_t {
      if (attributes & 1) return value;
      return value >= layout.imageBase ? value - layout.imageBase : ~0ull;
    };
    auto name = NameAt(read, layout, relative(nameAddress));
    if (!name || name->empty()) continue;
    ImportedDll dll{std::move(*name), {}, true};
    if (names) dll.functions = ReadThunks(read, layout, relative(names));
    imports.push_back(std::move(dll));
  }
}

void ReadExports(Reader& read, const Layout& layout, PeImage& image) {
  std::uint32_t directory = layout.directories[kExportDirectory].first;
  auto found = directory ? layout.OffsetOf(directory) : std::nullopt;
  if (!found) return;
  // A plain copy: GCC's -Os sees the optional's value as maybe uninitialised below.
  const auto at = *found;
  std::uint32_t nameCount = 0, names = 0;
  if (!read.Read(at + 16, image.ordinalBase) || !read.Read(at + 20, image.ordinalCount) ||
      !read.Read(at + 24, nameCount) || !read.Read(at + 32, names)) {
    return;
  }
  for (std::size_t i = 0; i < std::min<std::size_t>(nameCount, kMostExports); ++i) {
    auto entry = layout.OffsetOf(names + 4ull * i);
    std::uint32_t nameAddress = 0;
    if (!entry || !read.Read(*entry, nameAddress)) break;
    if (auto name = NameAt(read, layout, nameAddress)) {
      image.exports.push_back(std::move(*name));
    }
  }
  std::sort(image.exports.begin(), image.exports.end());
}

}  // namespace

bool BufferSource::ReadAt(std::uint64_t offset, std::size_t size, char* out) {
  if (offset > bytes_.size() || bytes_.size() - offset < size) return false;
  std::memcpy(out, bytes_.data() + offset, size);
  return true;
}

bool PeImage::Exports(std::string_view function) const {
  if (!function.empty() && function[0] == '#') {
    std::uint64_t ordinal = 0;
    for (char c : function.substr(1)) {
      if (c < '0' || c > '9' || ordinal > 0xFFFFFFFF) return false;
      ordinal = ordinal * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return ordinal >= ordinalBase && ordinal - ordinalBase < ordinalCount;
  }
  return std::binary_search(exports.begin(), exports.end(), function);
}

namespace {

// Where the PE header starts; nothing when the file is not a PE image.
std::optional<std::uint32_t> PeHeader(Reader& read) {
  std::uint16_t dosMagic = 0;
  std::uint32_t header = 0, signature = 0;
  if (!read.Read(0, dosMagic) || dosMagic != 0x5A4D || !read.Read(0x3C, header) ||
      !read.Read(header, signature) || signature != 0x00004550) {
    return std::nullopt;
  }
  return header;
}

}  // namespace

std::optional<std::uint16_t> ReadMachine(ByteSource& file) {
  Reader read(file, nullptr);
  auto header = PeHeader(read);
  std::uint16_t machine = 0;
  if (!header || !read.Read(*header + 4ull, machine)) return std::nullopt;
  return machine;
}

std::optional<PeImage> ReadPeImage(ByteSource& file, ReadBudget* budget) {
  Reader read(file, budget);
  auto header = PeHeader(read);
  PeImage image;
  if (!header || !read.Read(*header + 4ull, image.machine)) return std::nullopt;
  if (auto layout = ReadLayout(read, *header)) {
    ReadImports(read, *layout, image.imports);
    ReadDelayImports(read, *layout, image.imports);
    ReadExports(read, *layout, image);
  }
  return image;
}

}  // namespace corvalinde::pe
