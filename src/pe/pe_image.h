// What the program reads from a PE file without loading it, so none of its code runs: the
// processor it is built for, the DLLs it imports (with the functions it takes from each) and
// the names it exports. The file is untrusted input: every offset and count is checked against
// the file, and a part that does not hold together is left out, never read past.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalinde::pe {

// Where the bytes come from: a file read in pages (pe_file.h) or, in tests, a buffer.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Exactly `size` bytes at `offset` into `out`; false when they are not all there.
  virtual bool ReadAt(std::uint64_t offset, std::size_t size, char* out) = 0;
};

class BufferSource final : public ByteSource {
 public:
  explicit BufferSource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::size_t size, char* out) override;

 private:
  std::string bytes_;
};

struct ImportedDll {
  std::string name;
  // Imported by name, or "#n" for ordinal n.
  std::vector<std::string> functions;
  bool delayed = false;  // from the delay-import directory: loaded at first use
};

struct PeImage {
  std::uint16_t machine = 0;  // IMAGE_FILE_HEADER.Machine
  std::vector<ImportedDll> imports;
  std::vector<std::string> exports;  // exported names, sorted
  std::uint32_t ordinalBase = 0, ordinalCount = 0;

  // A function name as imports give it ("#n" for an ordinal).
  bool Exports(std::string_view function) const;
};

// The largest counts read from one directory: far beyond any real module, small enough that a
// crafted one costs little.
inline constexpr std::size_t kMostImportedDlls = 16384;
inline constexpr std::size_t kMostFunctionsPerDll = 65536;
inline constexpr std::size_t kMostFunctionsInAll = 262144;  // descriptors may share one list
inline constexpr std::size_t kMostExports = 65536;
inline constexpr std::size_t kLongestName = 512;

// What reading may take, shared by every image one walk reads: imported functions, and bytes
// asked of the files. A read past either fails, as if the file ended there.
struct ReadBudget {
  std::size_t functionsLeft = kMostFunctionsInAll;
  std::uint64_t bytesLeft = std::uint64_t{128} << 20;
};

// The machine a PE image is built for (IMAGE_FILE_HEADER.Machine); nothing when the file is
// not a PE image.
std::optional<std::uint16_t> ReadMachine(ByteSource& file);

// Nothing when the file is not a PE image; otherwise its machine, and its imports and exports
// as far as they could be read within `budget` (a fresh one when none is given).
std::optional<PeImage> ReadPeImage(ByteSource& file, ReadBudget* budget = nullptr);

}  // namespace corvalinde::pe
