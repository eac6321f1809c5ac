// The WiX fragment and the COM manifest read back by a real XML parser (libxml2, where the build
// has it): well formed whatever the names and values hold, each value where the format expects
// it, the module's path and folder as references.
#include "registration/com_manifest.h"
#include "registration/wix_fragment.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <memory>
#include <string>

#include "platform/registry.h"
#include "platform/registry_text.h"
#include "platform/utf8.h"

namespace corvalinde {
namespace {

using Attributes = std::map<std::string, std::string>;

Attributes AttributesOf(xmlNode* node) {
  Attributes attributes;
  for (xmlAttr* a = node->properties; a; a = a->next) {
    xmlChar* value = xmlNodeListGetString(node->doc, a->children, 1);
    attributes[reinterpret_cast<const char*>(a->name)] = reinterpret_cast<const char*>(value);
    xmlFree(value);
  }
  return attributes;
}

// Every element of that name, depth first.
void Collect(xmlNode* node, const char* name, std::vector<xmlNode*>& found) {
  for (; node; node = node->next) {
    if (node->type == XML_ELEMENT_NODE &&
        std::string(reinterpret_cast<const char*>(node->name)) == name) {
      found.push_back(node);
    }
    Collect(node->children, name, found);
  }
}

TEST(WixFragment, ReadsBackAsWhatTheModuleWroteWithItsFileAndFolderAsReferences) {
  const std::wstring module = L"C:\\Ditta & Figli\\<x64>\\Modulo \"Uno\".dll";
  auto text = [](const std::wstring& value) { return platform::ToRegistryText(value); };
  std::wstring multi(L"C:\\Ditta & Figli\\<x64>\\a.dat\0b [1]\0", 34);
  const std::vector<CapturedValue> values = {
      {L"HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", L"", platform::kRegSz, text(module)},
      {L"HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32", L"ThreadingModel", platform::kRegSz,
       text(L"Both")},
      {L"HKEY_CLASSES_ROOT\\TypeLib\\{2}\\1.0\\HELPDIR", L"", platform::kRegSz,
       text(L"c:\\ditta & figli\\<X64>")},
      {L"HKEY_LOCAL_MACHINE\\Software\\A&B", L"<\"n\">", platform::kRegExpandSz,
       text(L"%SystemRoot%\\[x]")},
      {L"HKEY_CURRENT_USER\\Software\\A", L"D", platform::kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {L"HKEY_USERS\\.DEFAULT\\A", L"B", platform::kRegBinary, {0x0A, 0xB0}},
      {L"HKEY_LOCAL_MACHINE\\Software\\A", L"M", platform::kRegMultiSz, text(multi)},
      {L"HKEY_LOCAL_MACHINE\\Software\\A", L"Q--", 11, std::vector<std::uint8_t>(8)},
  };
  // Keys created empty, one under a root WiX cannot name.
  const std::vector<std::wstring> emptyKeys = {L"HKEY_CLASSES_ROOT\\CLSID\\{1}\\Control",
                                               L"HKEY_LOCAL_MACHINE\\Software\\A&B\\Vuota",
                                               L"HKEY_CURRENT_CONFIG\\X"};
  std::string xml = WixFragment(module, values, emptyKeys, true);
  std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> document(
      xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "fragment.wxs", nullptr,
                    XML_PARSE_NONET),
      xmlFreeDoc);
  ASSERT_NE(document, nullptr) << xml;
  xmlNode* root = xmlDocGetRootElement(document.get());
  std::vector<xmlNode*> files, registryValues, items, components;
  Collect(root, "File", files);
  Collect(root, "RegistryValue", registryValues);
  Collect(root, "MultiStringValue", items);
  Collect(root, "Component", components);
  ASSERT_EQ(files.size(), 1u);
  ASSERT_EQ(components.size(), 1u);
  const std::string fileId = AttributesOf(files[0])["Id"];
  EXPECT_EQ(AttributesOf(files[0])["Source"], "Modulo \"Uno\".dll");
  EXPECT_EQ(fileId, platform::Utf8(WixFileId(module)));
  EXPECT_EQ(
      fileId.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_."),
      std::string::npos);
  EXPECT_EQ(AttributesOf(components[0])["Id"], platform::Utf8(WixComponentId(module)));
  EXPECT_EQ(AttributesOf(components[0])["Win64"], "yes");

  ASSERT_EQ(registryValues.size(), 9u);  // the REG_QWORD left out, the empty keys' rows in
  const std::vector<Attributes> expected = {
      {{"Root", "HKCR"},
       {"Key", "CLSID\\{1}\\InprocServer32"},
       {"Type", "string"},
       {"Value", "[#" + fileId + "]"}},
      {{"Root", "HKCR"},
       {"Key", "CLSID\\{1}\\InprocServer32"},
       {"Name", "ThreadingModel"},
       {"Type", "string"},
       {"Value", "Both"}},
      {{"Root", "HKCR"},
       {"Key", "TypeLib\\{2}\\1.0\\HELPDIR"},
       {"Type", "string"},
       {"Value", "[INSTALLFOLDER]"}},
      {{"Root", "HKLM"},
       {"Key", "Software\\A&B"},
       {"Name", "<\"n\">"},
       {"Type", "expandable"},
       {"Value", "%SystemRoot%\\[\\[]x[\\]]"}},
      {{"Root", "HKCU"},
       {"Key", "Software\\A"},
       {"Name", "D"},
       {"Type", "integer"},
       {"Value", "-1"}},
      {{"Root", "HKU"},
       {"Key", ".DEFAULT\\A"},
       {"Name", "B"},
       {"Type", "binary"},
       {"Value", "0AB0"}},
      {{"Root", "HKLM"}, {"Key", "Software\\A"}, {"Name", "M"}, {"Type", "multiString"}},
  };
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(AttributesOf(registryValues[i]), expected[i]) << i;
  }
  // Each empty key twice: WiX's RegistryKey in the "elseif" branch, wixl's "*" row after "else".
  std::vector<std::string> sequence;
  for (xmlNode* node = components[0]->children; node; node = node->next) {
    if (node->type == XML_PI_NODE) sequence.push_back(std::string("?") + (const char*)node->name);
    if (node->type == XML_ELEMENT_NODE && sequence.size())
      sequence.push_back((const char*)node->name);
  }
  EXPECT_EQ(sequence,
            (std::vector<std::string>{"?ifdef", "?elseif", "RegistryKey", "RegistryKey", "?else",
                                      "RegistryValue", "RegistryValue", "?endif"}));
  std::vector<xmlNode*> registryKeys;
  Collect(root, "RegistryKey", registryKeys);
  ASSERT_EQ(registryKeys.size(), 2u);
  EXPECT_EQ(AttributesOf(registryKeys[1]), (Attributes{{"Root", "HKLM"},
                                                       {"Key", "Software\\A&B\\Vuota"},
                                                       {"ForceCreateOnInstall", "yes"},
                                                       {"ForceDeleteOnUninstall", "yes"}}));
  EXPECT_EQ(AttributesOf(registryValues[8]), (Attributes{{"Root", "HKLM"},
                                                         {"Key", "Software\\A&B\\Vuota"},
                                                         {"Name", "*"},
                                                         {"Type", "string"},
                                                         {"Value", ""}}));
  ASSERT_EQ(items.size(), 2u);
  xmlChar* first = xmlNodeGetContent(items[0]);
  xmlChar* second = xmlNodeGetContent(items[1]);
  EXPECT_STREQ(reinterpret_cast<const char*>(first), "[INSTALLFOLDER]a.dat");
  EXPECT_STREQ(reinterpret_cast<const char*>(second), "b [\\[]1[\\]]");
  xmlFree(first);
  xmlFree(second);

  // The same module captured again, from elsewhere: the same ids and component GUID.
  std::string again = WixFragment(L"D:\\altrove\\modulo \"uno\".DLL", {}, {}, true);
  std::size_t guid = xml.find("Guid=\"");
  ASSERT_NE(guid, std::string::npos);
  EXPECT_NE(again.find(xml.substr(guid, 44)), std::string::npos) << again;
}

// A class with an in-process server and one without, a type library beside the module and
// two interfaces, one marshalled by it: what a manifest can say, and what it leaves out.
TEST(ComManifest, NamesTheClassesTypeLibrariesAndProxiesItCanAndLeavesOutTheRest) {
  const std::wstring module = L"C:\\Moduli\\Ditta & <Figli>.ocx";
  auto text = [](const std::wstring& value) { return platform::ToRegistryText(value); };
  const std::wstring inProcess = L"HKEY_CLASSES_ROOT\\CLSID\\{A}",
                     library = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\TypeLib\\{T}\\2.1";
  const std::vector<CapturedValue> values = {
      {inProcess, L"", platform::kRegSz, text(L"Classe \"A\" & <B>")},
      {inProcess + L"\\InprocServer32", L"", platform::kRegSz, text(module)},
      {inProcess + L"\\InprocServer32", L"ThreadingModel", platform::kRegSz, text(L"Both")},
      {inProcess + L"\\VersionIndependentProgID", L"", platform::kRegSz, text(L"Ditta.A")},
      {inProcess + L"\\ProgID", L"", platform::kRegSz, text(L"Ditta.A.1")},
      {L"HKEY_CLASSES_ROOT\\Ditta.A\\CLSID", L"", platform::kRegSz, text(L"{A}")},
      {L"HKEY_CLASSES_ROOT\\Ditta.Altro\\CLSID", L"", platform::kRegSz, text(L"{a}")},
      // A second class claiming the first one's ProgIDs, which name the first: none for it.
      {L"HKEY_CLASSES_ROOT\\CLSID\\{C}\\InprocServer32", L"", platform::kRegSz, text(module)},
      {L"HKEY_CLASSES_ROOT\\CLSID\\{C}\\ProgID", L"", platform::kRegSz, text(L"Ditta.A.1")},
      {L"HKEY_CLASSES_ROOT\\CLSID\\{C}\\VersionIndependentProgID", L"", platform::kRegSz,
       text(L"Ditta.A")},
      {inProcess + L"\\TypeLib", L"", platform::kRegSz, text(L"{T}")},
      {L"HKEY_CLASSES_ROOT\\CLSID\\{B}\\LocalServer32", L"", platform::kRegSz, text(L"b.exe")},
      {library, L"", platform::kRegSz, text(L"Ditta")},
      {library + L"\\0\\win64", L"", platform::kRegSz, text(module)},
      {library + L"\\FLAGS", L"", platform::kRegSz, text(L"6")},
      {library + L"\\HELPDIR", L"", platform::kRegSz, text(L"C:\\Moduli")},
      {L"HKEY_CLASSES_ROOT\\Interface\\{I}", L"", platform::kRegSz, text(L"IDitta")},
      {L"HKEY_CLASSES_ROOT\\Interface\\{I}\\ProxyStubClsid32", L"", platform::kRegSz,
       text(L"{00020424-0000-0000-C000-000000000046}")},
      {L"HKEY_CLASSES_ROOT\\Interface\\{I}\\TypeLib", L"", platform::kRegSz, text(L"{T}")},
      {L"HKEY_CLASSES_ROOT\\Interface\\{J}\\ProxyStubClsid32", L"", platform::kRegSz, text(L"{P}")},
  };
  ComManifest manifest = MakeComManifest(module, values, ModuleArchitecture::X86,
                                         std::array<std::uint16_t, 4>{3, 1, 4, 15});
  EXPECT_EQ(manifest.leftOut, (std::vector<std::wstring>{L"CLSID\\{B}", L"Interface\\{J}"}));
  std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> document(
      xmlReadMemory(manifest.text.data(), static_cast<int>(manifest.text.size()), "m.manifest",
                    nullptr, XML_PARSE_NONET),
      xmlFreeDoc);
  ASSERT_NE(document, nullptr) << manifest.text;
  xmlNode* root = xmlDocGetRootElement(document.get());
  auto only = [&](const char* name) {
    std::vector<xmlNode*> found;
    Collect(root, name, found);
    EXPECT_EQ(found.size(), 1u) << name;
    return found.empty() ? Attributes{} : AttributesOf(found[0]);
  };
  EXPECT_EQ(only("assemblyIdentity"), (Attributes{{"type", "win32"},
                                                  {"name", "Ditta & <Figli>"},
                                                  {"version", "3.1.4.15"},
                                                  {"processorArchitecture", "x86"}}));
  EXPECT_EQ(only("file"), (Attributes{{"name", "Ditta & <Figli>.ocx"}}));
  std::vector<xmlNode*> classNodes;
  Collect(root, "comClass", classNodes);
  ASSERT_EQ(classNodes.size(), 2u);
  EXPECT_EQ(AttributesOf(classNodes[0]), (Attributes{{"clsid", "{A}"},
                                                     {"threadingModel", "Both"},
                                                     {"progid", "Ditta.A.1"},
                                                     {"description", "Classe \"A\" & <B>"},
                                                     {"tlbid", "{T}"}}));
  EXPECT_EQ(AttributesOf(classNodes[1]), (Attributes{{"clsid", "{C}"}}));
  // Every other name the class goes by, once each.
  std::vector<xmlNode*> progIds;
  Collect(root, "progid", progIds);
  std::vector<std::string> names;
  for (xmlNode* node : progIds) {
    xmlChar* content = xmlNodeGetContent(node);
    names.push_back(reinterpret_cast<const char*>(content));
    xmlFree(content);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Ditta.A", "Ditta.Altro"}));
  EXPECT_EQ(
      only("typelib"),
      (Attributes{
          {"tlbid", "{T}"}, {"version", "2.1"}, {"helpdir", ""}, {"flags", "CONTROL,HIDDEN"}}));
  EXPECT_EQ(only("comInterfaceExternalProxyStub"),
            (Attributes{{"name", "IDitta"},
                        {"iid", "{I}"},
                        {"proxyStubClsid32", "{00020424-0000-0000-C000-000000000046}"},
                        {"tlbid", "{T}"}}));
}

}  // namespace
}  // namespace corvalinde
