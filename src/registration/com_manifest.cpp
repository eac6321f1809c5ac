#include "registration/com_manifest.h"

#include <algorithm>
#include <map>

#include "common/letter_case.h"
#include "common/xml_text.h"
#include "platform/path_parts.h"
#include "platform/registry.h"
#include "platform/registry_text.h"
#include "platform/utf8.h"

namespace corvalinde {
namespace {

// The marshallers that read an interface's type library: its proxy-stub is then the type
// library's, which a manifest can name.
constexpr std::wstring_view kTypeLibraryMarshallers[] = {L"{00020424-0000-0000-C000-000000000046}",
                                                         L"{00020420-0000-0000-C000-000000000046}"};

// The captured keys under the classes, by path relative to them (in upper case, for lookups),
// each with that path as captured and its values' texts by name (upper case; "" for the
// default).
struct Key {
  std::wstring path;
  std::map<std::wstring, std::wstring> values;
};
using Classes = std::map<std::wstring, Key>;

constexpr std::wstring_view kClassRoots[] = {L"HKEY_CLASSES_ROOT\\",
                                             L"HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES\\",
                                             L"HKEY_CURRENT_USER\\SOFTWARE\\CLASSES\\"};

Classes ReadClasses(const std::vector<CapturedValue>& values) {
  Classes classes;
  for (const CapturedValue& value : values) {
    std::wstring key = ToUpperText(value.key);
    for (std::wstring_view root : kClassRoots) {
      if (key.compare(0, root.size(), root) != 0) continue;
      std::wstring text =
          value.type == platform::kRegSz || value.type == platform::kRegExpandSz
              ? platform::FromRegistryText(value.data.data(), value.data.size())
          : value.type == platform::kRegDword && value.data.size() == 4
              ? std::to_wstring(value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                static_cast<std::uint32_t>(value.data[3]) << 24)
              : std::wstring();
      Key& captured = classes[key.substr(root.size())];
      captured.path = value.key.substr(root.size());
      captured.values[ToUpperText(value.name)] = text;
      break;
    }
  }
  return classes;
}

std::wstring Attribute(std::wstring_view name, const std::wstring& value) {
  return value.empty() ? std::wstring()
                       : L" " + std::wstring(name) + L"=\"" + XmlEscaped(value) + L"\"";
}

const std::wstring* Default(const Classes& classes, const std::wstring& key) {
  auto found = classes.find(key);
  if (found == classes.end()) return nullptr;
  auto value = found->second.values.find(L"");
  return value == found->second.values.end() ? nullptr : &value->second;
}

std::wstring DefaultOr(const Classes& classes, const std::wstring& key) {
  const std::wstring* value = Default(classes, key);
  return value ? *value : std::wstring();
}

// "CLSID\{…}\…" → "{…}" for every key under `prefix`, once each.
std::vector<std::wstring> Ids(const Classes& classes, std::wstring_view prefix) {
  std::vector<std::wstring> ids;
  for (const auto& [key, values] : classes) {
    if (key.compare(0, prefix.size(), prefix) != 0) continue;
    std::wstring id = key.substr(prefix.size(), key.find(L'\\', prefix.size()) - prefix.size());
    if (ids.empty() || ids.back() != id) ids.push_back(id);
  }
  return ids;
}

// The ProgIDs among the captured keys, by the class their CLSID names (upper case): each
// "<ProgID>\CLSID" key's default value.
std::map<std::wstring, std::vector<std::wstring>> ProgIdsByClass(const Classes& classes) {
  std::map<std::wstring, std::vector<std::wstring>> byClass;
  constexpr std::wstring_view kClsid = L"\\CLSID";
  for (const auto& [key, captured] : classes) {
    const std::size_t slash = key.find(L'\\');
    if (slash == 0 || slash == std::wstring::npos || key.size() != slash + kClsid.size() ||
        key.compare(slash, kClsid.size(), kClsid) != 0 || key.substr(0, slash) == L"CLSID") {
      continue;
    }
    if (const std::wstring* clsid = Default(classes, key)) {
      byClass[ToUpperText(*clsid)].push_back(captured.path.substr(0, slash));
    }
  }
  return byClass;
}

// TypeLib's FLAGS, a number, as the manifest's words.
std::wstring FlagWords(const std::wstring& number) {
  unsigned long flags = number.empty() ? 0 : std::wcstoul(number.c_str(), nullptr, 16);
  std::wstring words;
  const std::pair<unsigned long, const wchar_t*> kFlags[] = {
      {1, L"RESTRICTED"}, {2, L"CONTROL"}, {4, L"HIDDEN"}, {8, L"HASDISKIMAGE"}};
  for (const auto& [bit, word] : kFlags) {
    if (flags & bit) words += (words.empty() ? L"" : L",") + std::wstring(word);
  }
  return words;
}

std::wstring ProcessorWord(ModuleArchitecture architecture) {
  switch (architecture) {
    case ModuleArchitecture::X86:
      return L"x86";
    case ModuleArchitecture::X64:
      return L"amd64";
    case ModuleArchitecture::Arm64:
      return L"arm64";
    case ModuleArchitecture::Arm:
      return L"arm";
    case ModuleArchitecture::Unknown:
      break;
  }
  return L"*";
}

}  // namespace

ComManifest MakeComManifest(const std::wstring& module, const std::vector<CapturedValue>& values,
                            ModuleArchitecture architecture,
                            const std::optional<std::array<std::uint16_t, 4>>& version) {
  ComManifest manifest;
  const Classes classes = ReadClasses(values);
  const std::wstring fileName = platform::FileNameOf(module);
  const std::wstring folder = ToUpperText(module.substr(0, module.size() - fileName.size()));

  const std::map<std::wstring, std::vector<std::wstring>> progIds = ProgIdsByClass(classes);
  // A ProgID names one class in a manifest (an activation context refuses it twice): the class
  // its own CLSID key names, when captured, else the first class that claims it.
  std::vector<std::wstring> taken;
  auto claims = [&](const std::wstring& clsid, const std::wstring& name) {
    const std::wstring upper = ToUpperText(name);
    if (name.empty() || std::find(taken.begin(), taken.end(), upper) != taken.end()) return false;
    const std::wstring* owner = Default(classes, upper + L"\\CLSID");
    if (owner && ToUpperText(*owner) != clsid) return false;
    taken.push_back(upper);
    return true;
  };
  std::wstring inFile, outside;
  for (const std::wstring& clsid : Ids(classes, L"CLSID\\")) {
    const std::wstring key = L"CLSID\\" + clsid;
    auto server = classes.find(key + L"\\INPROCSERVER32");
    if (server == classes.end()) {
      manifest.leftOut.push_back(L"CLSID\\" + clsid);
      continue;
    }
    const std::map<std::wstring, std::wstring>& serverValues = server->second.values;
    auto threading = serverValues.find(L"THREADINGMODEL");
    // Every name the registry would find the class by: the versioned ProgID first (the
    // attribute), then the version-independent one and any other whose CLSID names the class.
    std::vector<std::wstring> names{DefaultOr(classes, key + L"\\PROGID"),
                                    DefaultOr(classes, key + L"\\VERSIONINDEPENDENTPROGID")};
    if (auto named = progIds.find(clsid); named != progIds.end()) {
      names.insert(names.end(), named->second.begin(), named->second.end());
    }
    std::wstring progid;
    std::vector<std::wstring> others;
    for (const std::wstring& name : names) {
      if (!claims(clsid, name)) continue;
      if (progid.empty()) {
        progid = name;
      } else {
        others.push_back(name);
      }
    }
    std::wstring children;
    for (const std::wstring& name : others)
      children += L"      <progid>" + XmlEscaped(name) + L"</progid>\r\n";
    inFile +=
        L"    <comClass" + Attribute(L"clsid", clsid) +
        Attribute(L"threadingModel", threading == serverValues.end() ? L"" : threading->second) +
        Attribute(L"progid", progid) + Attribute(L"description", DefaultOr(classes, key)) +
        Attribute(L"tlbid", DefaultOr(classes, key + L"\\TYPELIB")) +
        (children.empty() ? L"/>\r\n" : L">\r\n" + children + L"    </comClass>\r\n");
  }
  for (const std::wstring& tlbid : Ids(classes, L"TYPELIB\\")) {
    const std::wstring prefix = L"TYPELIB\\" + tlbid + L"\\";
    for (const std::wstring& versionKey : Ids(classes, prefix)) {
      const std::wstring key = prefix + versionKey;
      // HELPDIR: where help lies, relative to the module's own folder as the manifest wants.
      std::wstring help = DefaultOr(classes, key + L"\\HELPDIR");
      std::wstring upperHelp = ToUpperText(help) + L"\\";
      if (upperHelp.compare(0, folder.size(), folder) == 0) {
        help = help.size() >= folder.size() ? help.substr(folder.size()) : L"";
      }
      inFile += L"    <typelib" + Attribute(L"tlbid", tlbid) + Attribute(L"version", versionKey) +
                L" helpdir=\"" + XmlEscaped(help) + L"\"" +
                Attribute(L"flags", FlagWords(DefaultOr(classes, key + L"\\FLAGS"))) + L"/>\r\n";
    }
  }
  for (const std::wstring& iid : Ids(classes, L"INTERFACE\\")) {
    const std::wstring key = L"INTERFACE\\" + iid;
    std::wstring proxy = ToUpperText(DefaultOr(classes, key + L"\\PROXYSTUBCLSID32"));
    bool byTypeLibrary = false;
    for (std::wstring_view marshaller : kTypeLibraryMarshallers)
      byTypeLibrary |= proxy == marshaller;
    if (!byTypeLibrary) {
      manifest.leftOut.push_back(L"Interface\\" + iid);
      continue;
    }
    outside += L"  <comInterfaceExternalProxyStub" + Attribute(L"name", DefaultOr(classes, key)) +
               Attribute(L"iid", iid) + Attribute(L"proxyStubClsid32", proxy) +
               Attribute(L"tlbid", DefaultOr(classes, key + L"\\TYPELIB")) + L"/>\r\n";
  }

  const std::array<std::uint16_t, 4> parts =
      version.value_or(std::array<std::uint16_t, 4>{1, 0, 0, 0});
  const std::wstring versionText = std::to_wstring(parts[0]) + L"." + std::to_wstring(parts[1]) +
                                   L"." + std::to_wstring(parts[2]) + L"." +
                                   std::to_wstring(parts[3]);
  std::size_t dot = fileName.find_last_of(L'.');
  std::wstring text =
      L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      L"<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
      L"  <assemblyIdentity type=\"win32\"" +
      Attribute(L"name", fileName.substr(0, dot)) + Attribute(L"version", versionText) +
      Attribute(L"processorArchitecture", ProcessorWord(architecture)) + L"/>\r\n" + L"  <file" +
      Attribute(L"name", fileName) + L">\r\n" + inFile + L"  </file>\r\n" + outside +
      L"</assembly>\r\n";
  manifest.text = platform::Utf8(text);
  return manifest;
}

}  // namespace corvalinde
