#include "pe/pe_file.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/files.h"

namespace corvalinde::pe {
namespace {

constexpr std::uint64_t kPageSize = 64 * 1024;
constexpr std::size_t kPagesKept = 64;

class PagedFile final : public ByteSource {
 public:
  explicit PagedFile(std::unique_ptr<platform::ReadOnlyFile> file) : file_(std::move(file)) {}
  std::uint64_t Size() const override { return file_->Size(); }

  bool ReadAt(std::uint64_t offset, std::size_t size, char* out) override {
    if (offset > Size() || Size() - offset < size) return false;
    while (size > 0) {
      const std::string* page = Page(offset / kPageSize);
      if (!page) return false;
      std::size_t within = static_cast<std::size_t>(offset % kPageSize);
      std::size_t take = std::min(size, page->size() - within);
      std::memcpy(out, page->data() + within, take);
      offset += take;
      out += take;
      size -= take;
    }
    return true;
  }

 private:
  const std::string* Page(std::uint64_t index) {
    auto found = pages_.find(index);
    if (found != pages_.end()) return &found->second;
    if (pages_.size() >= kPagesKept) pages_.erase(pages_.begin());
    std::uint64_t start = index * kPageSize;
    std::string page(static_cast<std::size_t>(std::min(kPageSize, Size() - start)), '\0');
    if (!file_->ReadAt(start, page.size(), page.data())) return nullptr;
    return &(pages_[index] = std::move(page));
  }

  std::unique_ptr<platform::ReadOnlyFile> file_;
  std::map<std::uint64_t, std::string> pages_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenPeFile(const std::wstring& path) {
  auto file = platform::OpenReadOnly(path);
  if (!file) return nullptr;
  return std::make_unique<PagedFile>(std::move(file));
}

}  // namespace corvalinde::pe
