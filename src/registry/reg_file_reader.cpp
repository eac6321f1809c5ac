#include <array>
#include <cwctype>

#include "common/letter_case.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registry/reg_file.h"

namespace corvalinde {
namespace {

using platform::RegKey;

constexpr std::wstring_view kHeader = L"Windows Registry Editor Version 5.00";

struct RootName {
  std::wstring_view name;
  RegKey key;
};
constexpr std::array<RootName, 10> kRoots = {{
    {L"HKEY_CLASSES_ROOT", platform::kHkeyClassesRoot},
    {L"HKCR", platform::kHkeyClassesRoot},
    {L"HKEY_CURRENT_USER", platform::kHkeyCurrentUser},
    {L"HKCU", platform::kHkeyCurrentUser},
    {L"HKEY_LOCAL_MACHINE", platform::kHkeyLocalMachine},
    {L"HKLM", platform::kHkeyLocalMachine},
    {L"HKEY_USERS", platform::kHkeyUsers},
    {L"HKU", platform::kHkeyUsers},
    {L"HKEY_CURRENT_CONFIG", platform::kHkeyCurrentConfig},
    {L"HKCC", platform::kHkeyCurrentConfig},
}};

std::optional<RegKey> RootNamed(std::wstring_view name) {
  std::wstring upper = ToUpperText(name);
  for (const RootName& root : kRoots) {
    if (upper == root.name) return root.key;
  }
  return std::nullopt;
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
  return text;
}

// A quoted text at the start of `text` (which starts with the quote): its content, and `text`
// moved past the closing quote. Only \\ and \" are escapes, as the writer makes them.
std::optional<std::wstring> TakeQuoted(std::wstring_view& text) {
  std::wstring content;
  for (std::size_t at = 1; at < text.size(); ++at) {
    wchar_t c = text[at];
    if (c == L'"') {
      text.remove_prefix(at + 1);
      return content;
    }
    if (c == L'\\') {
      if (++at == text.size() || (text[at] != L'\\' && text[at] != L'"')) return std::nullopt;
      c = text[at];
    }
    content += c;
  }
  return std::nullopt;
}

// "xx,xx,..." (blanks around the bytes allowed) as bytes.
std::optional<std::vector<std::uint8_t>> HexBytes(std::wstring_view text) {
  std::vector<std::uint8_t> bytes;
  text = Trimmed(text);
  if (text.empty()) return bytes;
  for (;;) {
    std::size_t comma = text.find(L',');
    std::wstring_view item = Trimmed(text.substr(0, comma));
    if (item.empty() || item.size() > 2) return std::nullopt;
    int value = 0;
    for (wchar_t c : item) {
      int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + digit;
    }
    bytes.push_back(static_cast<std::uint8_t>(value));
    if (comma == std::wstring_view::npos) return bytes;
    text.remove_prefix(comma + 1);
  }
}

struct ParsedValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

std::optional<ParsedValue> ParseData(std::wstring_view text) {
  ParsedValue value;
  if (!text.empty() && text.front() == L'"') {
    std::optional<std::wstring> content = TakeQuoted(text);
    if (!content || !Trimmed(text).empty()) return std::nullopt;
    value.type = platform::kRegSz;
    value.data = platform::ToRegistryText(*content);
    return value;
  }
  std::wstring lower = ToLowerText(text.substr(0, std::min<std::size_t>(text.size(), 16)));
  if (lower.rfind(L"dword:", 0) == 0) {
    std::wstring_view digits = Trimmed(text.substr(6));
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t number = 0;
    for (wchar_t c : digits) {
      int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    value.type = platform::kRegDword;
    for (int shift = 0; shift < 32; shift += 8) {
      value.data.push_back(static_cast<std::uint8_t>(number >> shift));
    }
    return value;
  }
  std::size_t bytesAt = 0;
  if (lower.rfind(L"hex:", 0) == 0) {
    value.type = platform::kRegBinary;
    bytesAt = 4;
  } else if (lower.rfind(L"hex(", 0) == 0) {
    std::size_t close = text.find(L"):");
    if (close == std::wstring_view::npos || close == 4 || close > 12) return std::nullopt;
    std::uint64_t type = 0;
    for (wchar_t c : text.substr(4, close - 4)) {
      int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      type = type * 16 + static_cast<std::uint64_t>(digit);
    }
    if (type > 0xFFFFFFFFu) return std::nullopt;
    value.type = static_cast<std::uint32_t>(type);
    bytesAt = close + 2;
  } else {
    return std::nullopt;
  }
  std::optional<std::vector<std::uint8_t>> bytes = HexBytes(text.substr(bytesAt));
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

// The text's lines, a hex list continued with "\" joined into one.
std::vector<std::pair<std::size_t, std::wstring>> LogicalLines(std::wstring_view text) {
  std::vector<std::pair<std::size_t, std::wstring>> lines;
  std::size_t number = 0;
  bool continuing = false, hexValue = false;
  while (!text.empty()) {
    std::size_t end = text.find(L'\n');
    std::wstring_view line = text.substr(0, end);
    text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    ++number;
    if (continuing) {
      line = Trimmed(line);
      lines.back().second += line;
    } else {
      lines.emplace_back(number, std::wstring(line));
      std::wstring_view start = Trimmed(line);
      hexValue = !start.empty() && (start.front() == L'"' || start.front() == L'@') &&
                 ToLowerText(start).find(L"=hex") != std::wstring::npos;
      line = start;
    }
    continuing = hexValue && !line.empty() && line.back() == L'\\';
    if (continuing) {
      std::wstring& joined = lines.back().second;
      joined.resize(joined.rfind(L'\\'));
    }
  }
  return lines;
}

}  // namespace

std::variant<ParsedRegFile, RegFileError> ParseRegFile(std::string_view bytes) {
  if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') {
    return RegFileError{RegFileProblem::NotRegFile, 1};
  }
  std::wstring text = platform::FromRegistryText(
      reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2, bytes.size() - 2);
  std::vector<std::pair<std::size_t, std::wstring>> lines = LogicalLines(text);
  if (lines.empty() || Trimmed(lines.front().second) != kHeader) {
    return RegFileError{RegFileProblem::NotRegFile, 1};
  }
  ParsedRegFile parsed;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    auto fail = [&](RegFileProblem problem) { return RegFileError{problem, lines[i].first}; };
    std::wstring_view line = Trimmed(lines[i].second);
    if (line.empty() || line.front() == L';') continue;
    if (line.front() == L'[') {
      std::size_t close = line.rfind(L']');
      if (close == std::wstring_view::npos || !Trimmed(line.substr(close + 1)).empty()) {
        return fail(RegFileProblem::BadLine);
      }
      std::wstring_view path = line.substr(1, close - 1);
      if (!path.empty() && path.front() == L'-') return fail(RegFileProblem::Unsupported);
      std::size_t slash = path.find(L'\\');
      std::optional<RegKey> root = RootNamed(path.substr(0, slash));
      if (!root) return fail(RegFileProblem::UnknownRoot);
      std::wstring_view subKey =
          slash == std::wstring_view::npos ? std::wstring_view() : path.substr(slash + 1);
      parsed.keys.push_back({lines[i].first, *root, std::wstring(subKey), {}});
      continue;
    }
    std::wstring name;
    if (line.front() == L'@') {
      line.remove_prefix(1);
    } else if (line.front() == L'"') {
      std::optional<std::wstring> quoted = TakeQuoted(line);
      if (!quoted) return fail(RegFileProblem::BadLine);
      name = std::move(*quoted);
    } else {
      return fail(RegFileProblem::BadLine);
    }
    line = Trimmed(line);
    if (line.empty() || line.front() != L'=') return fail(RegFileProblem::BadLine);
    line = Trimmed(line.substr(1));
    if (line == L"-") return fail(RegFileProblem::Unsupported);
    std::optional<ParsedValue> value = ParseData(line);
    if (!value) return fail(RegFileProblem::BadData);
    if (parsed.keys.empty()) return fail(RegFileProblem::NoKey);
    parsed.keys.back().values.push_back(
        {std::move(name), value->type, std::move(value->data), lines[i].first});
    ++parsed.values;
  }
  return parsed;
}

std::optional<RegFileError> WriteRegFileKeys(const std::vector<RegFileKey>& keys,
                                             platform::Registry& registry, RegFileRead* read) {
  RegFileRead counted;
  std::optional<RegFileError> error;
  for (const RegFileKey& fileKey : keys) {
    platform::RegistryKey key(registry);
    if (std::int32_t status = key.Create(fileKey.root, fileKey.subKey, platform::kKeyAllAccess)) {
      error = RegFileError{RegFileProblem::RegistryRefused, fileKey.line, status};
      break;
    }
    ++counted.keys;
    for (const RegFileValue& value : fileKey.values) {
      if (std::int32_t status =
              registry.SetValue(key.get(), value.name, value.type, value.data.data(),
                                static_cast<std::uint32_t>(value.data.size()))) {
        error = RegFileError{RegFileProblem::RegistryRefused, value.line, status};
        break;
      }
      ++counted.values;
    }
    if (error) break;
  }
  if (read) *read = counted;
  return error;
}

std::optional<RegFileError> ReadRegFile(std::string_view bytes, platform::Registry& registry,
                                        RegFileRead* read) {
  auto parsed = ParseRegFile(bytes);
  if (auto* error = std::get_if<RegFileError>(&parsed)) {
    if (read) *read = {};
    return *error;
  }
  return WriteRegFileKeys(std::get<ParsedRegFile>(parsed).keys, registry, read);
}

}  // namespace corvalinde
