#include "options/opzioni.h"

#include <algorithm>

#include "common/blanks.h"
#include "options/extension_name.h"
#include "platform/ansi.h"
#include "platform/files.h"

namespace corvalinde {
namespace {

constexpr std::size_t kRecordSize = 128;
constexpr std::size_t kHeaderRecords = 3;
// The count is 16-bit: no file we write, or read, goes past this.
constexpr std::size_t kMaxExtensions = 32767;
constexpr std::size_t kLargestFile = (kHeaderRecords + kMaxExtensions) * kRecordSize;

void PutInt16(std::string& bytes, std::size_t at, std::int16_t value) {
  auto bits = static_cast<std::uint16_t>(value);
  bytes[at] = static_cast<char>(bits & 0xFF);
  bytes[at + 1] = static_cast<char>(bits >> 8);
}

// False when the file ends before the field.
bool GetInt16(const std::string& bytes, std::size_t at, std::int16_t& value) {
  if (bytes.size() < at + 2) return false;
  auto low = static_cast<unsigned char>(bytes[at]);
  auto high = static_cast<unsigned char>(bytes[at + 1]);
  value = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
  return true;
}

}  // namespace

std::wstring FixedExtension(const std::wstring& extension) {
  std::wstring fixed = extension.substr(0, kExtensionLength);
  fixed.resize(kExtensionLength, L' ');
  return fixed;
}

std::wstring TrimmedExtension(const std::wstring& entry) {
  return std::wstring(TrimBlanks(entry));
}

Opzioni DefaultOpzioni() {
  Opzioni record;
  record.Associa = -1;
  record.WinStart = 0;
  record.Ext = {FixedExtension(L"DLL"), FixedExtension(L"OCX")};
  record.NumExt = 2;
  return record;
}

std::string SerializeOpz(const Opzioni& record) {
  std::size_t count = std::min<std::size_t>(record.Ext.size(), kMaxExtensions);
  std::string bytes((kHeaderRecords + count) * kRecordSize, '\0');
  PutInt16(bytes, 0, record.Associa);
  PutInt16(bytes, kRecordSize, record.WinStart);
  PutInt16(bytes, 2 * kRecordSize, static_cast<std::int16_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    std::string text = platform::ToAnsi(FixedExtension(record.Ext[i]));
    bytes.replace((kHeaderRecords + i) * kRecordSize, kExtensionLength, text);
  }
  return bytes;
}

bool ParseOpz(const std::string& bytes, Opzioni& record) {
  std::int16_t count = 0;
  if (!GetInt16(bytes, 0, record.Associa)) return false;
  if (!GetInt16(bytes, kRecordSize, record.WinStart)) return false;
  if (!GetInt16(bytes, 2 * kRecordSize, count) || count < 0) return false;

  std::vector<std::wstring> entries;
  bool whole = true;
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    std::size_t at = (kHeaderRecords + i) * kRecordSize;
    if (bytes.size() < at + kExtensionLength) {  // a short file: keep the whole entries
      whole = false;
      break;
    }
    std::wstring entry = platform::FromAnsi(std::string_view(bytes).substr(at, kExtensionLength));
    // A name that is not an extension would become a registry path of someone else's choosing.
    if (IsValidExtensionName(entry)) {
      entries.push_back(std::move(entry));
    } else {
      whole = false;
    }
  }
  record.Ext = std::move(entries);
  record.NumExt = static_cast<std::int16_t>(record.Ext.size());
  return whole;
}

bool LoadOpz(const std::wstring& path, Opzioni& record) {
  if (!platform::FileExists(path)) {
    record = DefaultOpzioni();
    return true;
  }
  std::optional<std::string> bytes = platform::ReadFileStart(path, kLargestFile);
  return bytes && ParseOpz(*bytes, record);
}

bool SaveOpz(const std::wstring& path, const Opzioni& record, std::uint32_t* error) {
  return platform::ReplaceFileContent(path, SerializeOpz(record), error);
}

}  // namespace corvalinde
