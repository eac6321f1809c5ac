#include "registration/wix_fragment.h"

#include <cstdio>
#include <optional>

#include "common/letter_case.h"
#include "common/xml_text.h"
#include "platform/path_parts.h"
#include "platform/registry.h"
#include "platform/registry_text.h"
#include "platform/utf8.h"

namespace corvalinde {
namespace {

// FNV-1a over the lower-case text, from a seed: stable across runs and machines.
std::uint64_t Hash(std::wstring_view text, std::uint64_t seed) {
  std::uint64_t hash = seed;
  for (wchar_t c : ToLowerText(text)) {
    hash = (hash ^ static_cast<std::uint32_t>(c)) * 0x100000001b3ull;
  }
  return hash;
}

// A WiX id: a letter or "_" first, then letters, digits, "_" and "."; at most 72 characters
// (a long name keeps its start and a hash of the whole).
std::wstring WixId(std::wstring_view prefix, const std::wstring& name) {
  std::wstring id(prefix);
  for (wchar_t c : name) {
    bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
                 c == L'_' || c == L'.';
    id += plain ? c : L'_';
  }
  if (id.size() > 72) {
    wchar_t hash[17];
    std::swprintf(hash, 17, L"%016llx",
                  static_cast<unsigned long long>(Hash(name, 0xcbf29ce484222325ull)));
    id = id.substr(0, 72 - 17) + L"_" + hash;
  }
  return id;
}

// A component GUID of the module's own, the same in every capture of it.
std::wstring ComponentGuid(const std::wstring& module) {
  std::uint64_t high = Hash(platform::FileNameOf(module), 0xcbf29ce484222325ull);
  std::uint64_t low = Hash(platform::FileNameOf(module), 0x84222325cbf29ce4ull);
  high = (high & ~0xF000ull) | 0x5000ull;                       // version 5, name-based
  low = (low & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;  // RFC 4122 variant
  wchar_t text[40];
  std::swprintf(
      text, 40, L"%08llX-%04llX-%04llX-%04llX-%012llX", static_cast<unsigned long long>(high >> 32),
      static_cast<unsigned long long>((high >> 16) & 0xFFFF),
      static_cast<unsigned long long>(high & 0xFFFF), static_cast<unsigned long long>(low >> 48),
      static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
  return text;
}

// Windows Installer reads values as formatted text: a literal "[" or "]" is written "[\[]".
std::wstring FormattedLiteral(std::wstring_view text) {
  std::wstring literal;
  for (wchar_t c : text) {
    if (c == L'[' || c == L']') {
      literal += L"[\\";
      literal += c;
      literal += L']';
    } else {
      literal += c;
    }
  }
  return literal;
}

// The text with the module's path as a reference to its file and its folder as the install
// folder's (whose value ends in "\"), in any letter case; the rest literal.
std::wstring Formatted(const std::wstring& text, const std::wstring& module,
                       const std::wstring& fileId) {
  const std::wstring lower = ToLowerText(text), path = ToLowerText(module);
  const std::wstring folder = ToLowerText(platform::FolderOf(module));
  std::wstring result;
  std::size_t from = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::wstring reference;
    std::size_t length = 0;
    if (!path.empty() && lower.compare(at, path.size(), path) == 0) {
      reference = L"[#" + fileId + L"]";
      length = path.size();
    } else if (!folder.empty() && lower.compare(at, folder.size(), folder) == 0 &&
               (at + folder.size() == text.size() || text[at + folder.size()] == L'\\')) {
      reference = L"[" + std::wstring(kWixInstallFolder) + L"]";
      length = folder.size() + (at + folder.size() < text.size() ? 1 : 0);
    }
    if (!length) {
      ++at;
      continue;
    }
    result += FormattedLiteral(std::wstring_view(text).substr(from, at - from)) + reference;
    at += length;
    from = at;
  }
  return result + FormattedLiteral(std::wstring_view(text).substr(from));
}

struct Root {
  std::wstring_view name, wix;
};
constexpr Root kRoots[] = {{L"HKEY_CLASSES_ROOT", L"HKCR"},
                           {L"HKEY_LOCAL_MACHINE", L"HKLM"},
                           {L"HKEY_CURRENT_USER", L"HKCU"},
                           {L"HKEY_USERS", L"HKU"}};

std::wstring Hex(const std::vector<std::uint8_t>& data) {
  std::wstring hex;
  for (std::uint8_t byte : data) {
    wchar_t pair[3];
    std::swprintf(pair, 3, L"%02X", byte);
    hex += pair;
  }
  return hex;
}

// The attributes after Root, Key and Name, and the element's end; empty when Windows Installer
// cannot write the value.
std::wstring ValueRest(const CapturedValue& value, const std::wstring& module,
                       const std::wstring& fileId) {
  auto text = [&] { return platform::FromRegistryText(value.data.data(), value.data.size()); };
  auto attribute = [&](std::wstring_view type, const std::wstring& content) {
    return L" Type=\"" + std::wstring(type) + L"\" Value=\"" + XmlEscaped(content) + L"\"/>";
  };
  switch (value.type) {
    case platform::kRegSz:
      return attribute(L"string", Formatted(text(), module, fileId));
    case platform::kRegExpandSz:
      return attribute(L"expandable", Formatted(text(), module, fileId));
    case platform::kRegDword:
      if (value.data.size() != 4) return {};
      return attribute(L"integer", std::to_wstring(static_cast<std::int32_t>(
                                       value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                       static_cast<std::uint32_t>(value.data[3]) << 24)));
    case platform::kRegBinary:
      return attribute(L"binary", Hex(value.data));
    case platform::kRegMultiSz: {
      std::wstring all = text(), items;
      for (std::size_t from = 0; from < all.size();) {
        std::size_t end = all.find(L'\0', from);
        if (end == std::wstring::npos) end = all.size();
        if (end > from) {
          items += L"          <MultiStringValue>" +
                   XmlEscaped(Formatted(all.substr(from, end - from), module, fileId)) +
                   L"</MultiStringValue>\r\n";
        }
        from = end + 1;
      }
      return L" Type=\"multiString\">\r\n" + items + L"        </RegistryValue>";
    }
    default:
      return {};
  }
}

// ' Root="HKCR" Key="…"' for a key as a .reg file names it; nothing for a root WiX cannot name.
std::optional<std::wstring> RootAndKey(const std::wstring& path) {
  std::size_t slash = path.find(L'\\');
  std::wstring_view rootName = std::wstring_view(path).substr(0, slash);
  for (const Root& root : kRoots) {
    if (root.name != rootName) continue;
    std::wstring key = slash == std::wstring::npos ? std::wstring() : path.substr(slash + 1);
    return L" Root=\"" + std::wstring(root.wix) + L"\" Key=\"" + XmlEscaped(key) + L"\"";
  }
  return std::nullopt;
}

// Keys without values: a Registry row named "*" with no value, which creates the key on install
// and removes it (with anything below it) on uninstall. WiX's compilers write that row for a
// RegistryKey forced both ways and refuse a RegistryValue named "*" without a value; Debian's
// wixl reads neither RegistryKey attribute but writes the RegistryValue as it is. The
// preprocessor gives each its own: WiX takes the "elseif" branch, while wixl, which knows only
// ifdef, ifndef, else and endif, skips "elseif" and takes the "else" branch.
std::wstring EmptyKeyRows(const std::vector<std::wstring>& keys) {
  std::wstring wix, wixl;
  for (const std::wstring& key : keys) {
    std::optional<std::wstring> where = RootAndKey(key);
    if (!where) continue;
    wix += L"        <RegistryKey" + *where +
           L" ForceCreateOnInstall=\"yes\" ForceDeleteOnUninstall=\"yes\"/>\r\n";
    wixl += L"        <RegistryValue" + *where + L" Name=\"*\" Type=\"string\" Value=\"\"/>\r\n";
  }
  if (wix.empty()) return {};
  return L"        <!-- Keys the registration creates without values: made on install,\r\n"
         L"             removed on uninstall. WiX builds the first list; wixl, which reads\r\n"
         L"             neither RegistryKey attribute nor \"elseif\", the second. -->\r\n"
         L"<?ifdef var.CorvalindeUnset?>\r\n"
         L"<?elseif 1 = 1?>\r\n" +
         wix + L"<?else?>\r\n" + wixl + L"<?endif?>\r\n";
}

}  // namespace

std::wstring WixFileId(const std::wstring& module) {
  return WixId(L"fil_", platform::FileNameOf(module));
}
std::wstring WixComponentId(const std::wstring& module) {
  return WixId(L"cmp_", platform::FileNameOf(module));
}

std::string WixFragment(const std::wstring& module, const std::vector<CapturedValue>& values,
                        const std::vector<std::wstring>& emptyKeys, bool sixtyFourBit) {
  const std::wstring fileId = WixFileId(module);
  std::wstring lines, skipped;
  for (const CapturedValue& value : values) {
    std::optional<std::wstring> where = RootAndKey(value.key);
    std::wstring rest = where ? ValueRest(value, module, fileId) : std::wstring();
    if (rest.empty()) {
      skipped += L"          " +
                 XmlEscaped(value.key + (value.name.empty() ? L"\\@" : L"\\" + value.name)) +
                 L"\r\n";
      continue;
    }
    lines += L"        <RegistryValue" + *where +
             (value.name.empty() ? L"" : L" Name=\"" + XmlEscaped(value.name) + L"\"") + rest +
             L"\r\n";
  }
  lines += EmptyKeyRows(emptyKeys);
  std::wstring text =
      L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
      L"<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\r\n"
      L"  <Fragment>\r\n"
      L"    <DirectoryRef Id=\"" +
      std::wstring(kWixInstallFolder) +
      L"\">\r\n"
      L"      <Component Id=\"" +
      WixComponentId(module) + L"\" Guid=\"" + ComponentGuid(module) +
      (sixtyFourBit ? L"\" Win64=\"yes\">\r\n" : L"\">\r\n") + L"        <File Id=\"" + fileId +
      L"\" Source=\"" + XmlEscaped(platform::FileNameOf(module)) + L"\" KeyPath=\"yes\"/>\r\n" +
      lines;
  if (!skipped.empty()) {
    // "--" may not appear in a comment; a value's name might hold it.
    std::wstring safe;
    for (wchar_t c : skipped)
      safe += (c == L'-' && !safe.empty() && safe.back() == L'-') ? L'_' : c;
    text += L"        <!-- Not written: Windows Installer has no type for these values:\r\n" +
            safe + L"        -->\r\n";
  }
  text += L"      </Component>\r\n    </DirectoryRef>\r\n  </Fragment>\r\n</Wix>\r\n";
  return platform::Utf8(text);
}

}  // namespace corvalinde
