#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

#include "common/letter_case.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registry/key_tree.h"
#include "registry/reg_file.h"

namespace corvalinde {
namespace {

using platform::Registry;
using platform::RegistryKey;

constexpr std::wstring_view kWrittenHeader = L"Windows Registry Editor Version 5.00\r\n\r\n";
// Registry Editor breaks a byte list once its line reaches this column, and goes on after "\",
// CRLF and two blanks: lines stay within 80 columns.
constexpr std::size_t kHexLineLength = 77;

std::wstring Quoted(std::wstring_view text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') quoted += L'\\';
    quoted += c;
  }
  return quoted + L"\"";
}

// A REG_SZ whose bytes a quoted string gives back exactly: one terminating NUL, none inside, no
// line breaks (which would end the line), nothing that does not survive the round trip.
std::optional<std::wstring> PlainString(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 || data[data.size() - 1] || data[data.size() - 2]) {
    return std::nullopt;
  }
  std::wstring text = platform::FromRegistryText(data.data(), data.size());
  for (wchar_t c : text) {
    if (c == L'\0' || c == L'\r' || c == L'\n') return std::nullopt;
  }
  if (platform::ToRegistryText(text) != data) return std::nullopt;
  return text;
}

void AppendHex(std::wstring& line, std::uint32_t type, const std::vector<std::uint8_t>& data) {
  wchar_t part[24];
  if (type == platform::kRegBinary) {
    line += L"hex:";
  } else {
    std::swprintf(part, 24, L"hex(%x):", static_cast<unsigned>(type));
    line += part;
  }
  std::size_t column = line.size();
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::swprintf(part, 24, L"%02x", static_cast<unsigned>(data[i]));
    line += part;
    if (i + 1 == data.size()) break;
    line += L',';
    column += 3;
    if (column >= kHexLineLength) {
      line += L"\\\r\n  ";
      column = 2;
    }
  }
}

class Writer {
 public:
  Writer(Registry& registry, const RegFileFilter& keep) : registry_(registry), keep_(keep) {}

  void Key(platform::RegKey key, const std::wstring& path, bool unlisted, std::size_t depth = 0) {
    if (out_.stopped != RegFileStop::None) return;
    if (depth > kDeepestKey) return Stop(RegFileStop::TooDeep, path);
    platform::RegKeyInfo info;
    if (registry_.QueryInfoKey(key, info) != platform::kRegSuccess) return;
    std::wstring lines;  // the key's values, written once the key is known to be no link
    std::size_t written = 0;
    bool listed = false;
    auto take = [&](const std::wstring& name, std::uint32_t type, std::uint32_t size) {
      if (type == platform::kRegLink && ToUpperText(name) == L"SYMBOLICLINKVALUE") {
        Stop(RegFileStop::Link, path);
        return false;
      }
      listed = true;
      std::vector<std::uint8_t> data(buffer_.begin(), buffer_.begin() + size);
      if (keep_ && !keep_(path, name, type, data)) return true;
      // A byte takes less than four characters.
      constexpr std::size_t kCharacter = sizeof(std::uint16_t);
      if ((out_.text.size() + lines.size() + name.size() + 4 * std::size_t{size} + 32) *
              kCharacter >
          kLargestRegFile) {
        Stop(RegFileStop::TooLarge, path);
        return false;
      }
      lines += RegFileValueLine(name, type, data) + L"\r\n";
      ++written;
      return true;
    };
    if (!EachValue(key, info, take)) return;
    if (!unlisted || listed) {
      out_.text += L"[" + path + L"]\r\n" + lines + L"\r\n";
      ++out_.keys;
      out_.values += written;
      if (!info.values && !info.subKeys) out_.emptyKeys.push_back(path);
    }
    std::vector<std::wstring> subKeys = ListedNames(
        info.longestSubKeyName,
        [&](std::uint32_t i, wchar_t* name, std::uint32_t* size) {
          return registry_.EnumKey(key, i, name, size);
        },
        info.subKeys);
    for (const std::wstring& name : subKeys) {
      RegistryKey sub(registry_);
      if (registry_.OpenKeyItself(key, name, platform::kKeyRead, *sub.Out()) ==
          platform::kRegSuccess) {
        Key(sub.get(), path + L"\\" + name, false, depth + 1);
      }
    }
  }

  RegFileText Done() { return std::move(out_); }

 private:
  void Stop(RegFileStop why, const std::wstring& path) {
    out_.stopped = why;
    out_.stoppedAt = path;
  }

  using TakeValue =
      std::function<bool(const std::wstring& name, std::uint32_t type, std::uint32_t size)>;

  // Each value of the key, its data in buffer_, in the registry's order, until `take` says
  // no (false then). Read with its name in one call where both fit, else by its name, the
  // buffers grown as it needs; a value gone meanwhile is left out.
  bool EachValue(platform::RegKey key, const platform::RegKeyInfo& info, const TakeValue& take) {
    std::vector<wchar_t> name(std::min<std::size_t>(std::size_t{info.longestValueName} + 1, 32768));
    for (std::uint32_t index = 0; index < info.values; ++index) {
      auto nameSize = static_cast<std::uint32_t>(name.size());
      auto size = static_cast<std::uint32_t>(buffer_.size());
      std::uint32_t type = 0;
      std::int32_t status =
          registry_.EnumValueData(key, index, name.data(), &nameSize, &type, buffer_.data(), &size);
      if (status == platform::kRegMoreData) {
        std::optional<std::wstring> named = NameAt(key, index, info.longestValueName);
        if (!named) return true;
        if (!Read(key, *named, type, size)) continue;
        if (!take(*named, type, size)) return false;
        continue;
      }
      if (status != platform::kRegSuccess) return true;  // the key changed meanwhile
      if (!take(std::wstring(name.data(), nameSize), type, size)) return false;
    }
    return true;
  }

  std::optional<std::wstring> NameAt(platform::RegKey key, std::uint32_t index,
                                     std::uint32_t longest) {
    std::vector<std::wstring> names = ListedNames(
        longest,
        [&](std::uint32_t i, wchar_t* name, std::uint32_t* size) {
          return registry_.EnumValue(key, index + i, name, size);
        },
        1);
    if (names.empty()) return std::nullopt;
    return names.front();
  }

  // The value's data into buffer_, grown as needed; false when it is gone.
  bool Read(platform::RegKey key, const std::wstring& name, std::uint32_t& type,
            std::uint32_t& size) {
    std::int32_t status = platform::kRegMoreData;
    while (status == platform::kRegMoreData) {
      size = static_cast<std::uint32_t>(buffer_.size());
      status = registry_.QueryValue(key, name, &type, buffer_.data(), &size);
      if (status == platform::kRegMoreData) buffer_.resize(size);
    }
    return status == platform::kRegSuccess;
  }

  Registry& registry_;
  const RegFileFilter& keep_;
  RegFileText out_{std::wstring(kWrittenHeader)};
  std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(1024);
};

}  // namespace

std::wstring RegFileValueLine(std::wstring_view name, std::uint32_t type,
                              const std::vector<std::uint8_t>& data) {
  std::wstring line = name.empty() ? L"@=" : Quoted(name) + L"=";
  if (type == platform::kRegSz) {
    if (std::optional<std::wstring> text = PlainString(data)) return line + Quoted(*text);
  } else if (type == platform::kRegDword && data.size() == 4) {
    wchar_t number[16];
    std::swprintf(number, 16, L"dword:%08x",
                  static_cast<unsigned>(data[0] | data[1] << 8 | data[2] << 16 |
                                        static_cast<std::uint32_t>(data[3]) << 24));
    return line + number;
  }
  AppendHex(line, type, data);
  return line;
}

RegFileText WriteRegFile(Registry& registry, const std::vector<RegFileRoot>& roots,
                         const RegFileFilter& keep) {
  Writer writer(registry, keep);
  for (const RegFileRoot& root : roots) {
    RegistryKey key(registry);
    if (registry.OpenKeyItself(root.key, root.subKey, platform::kKeyRead, *key.Out()) ==
        platform::kRegSuccess) {
      writer.Key(key.get(), root.name, !root.listed);
    }
  }
  return writer.Done();
}

std::string RegFileBytes(std::wstring_view text) {
  std::vector<std::uint8_t> units = platform::ToRegistryText(text);
  std::string bytes = "\xFF\xFE";
  bytes.append(units.begin(), units.end() - 2);  // without the NUL a registry text ends with
  return bytes;
}

}  // namespace corvalinde
