// The WiX fragment read back by a real XML parser (libxml2, where the build has it): well formed
// whatever the names and values hold, each value where WiX expects it, with the module's path
// and folder as references.
#include "registration/wix_fragment.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <memory>
#include <string>

#include "browser/catalogue_export.h"
#include "platform/registry.h"
#include "platform/registry_text.h"

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
  std::string xml = WixFragment(module, values, true);
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
  EXPECT_EQ(fileId, Utf8(WixFileId(module)));
  EXPECT_EQ(
      fileId.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_."),
      std::string::npos);
  EXPECT_EQ(AttributesOf(components[0])["Id"], Utf8(WixComponentId(module)));
  EXPECT_EQ(AttributesOf(components[0])["Win64"], "yes");

  ASSERT_EQ(registryValues.size(), 7u);  // the REG_QWORD left out
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
  ASSERT_EQ(items.size(), 2u);
  xmlChar* first = xmlNodeGetContent(items[0]);
  xmlChar* second = xmlNodeGetContent(items[1]);
  EXPECT_STREQ(reinterpret_cast<const char*>(first), "[INSTALLFOLDER]a.dat");
  EXPECT_STREQ(reinterpret_cast<const char*>(second), "b [\\[]1[\\]]");
  xmlFree(first);
  xmlFree(second);

  // The same module captured again, from elsewhere: the same ids and component GUID.
  std::string again = WixFragment(L"D:\\altrove\\modulo \"uno\".DLL", {}, true);
  std::size_t guid = xml.find("Guid=\"");
  ASSERT_NE(guid, std::string::npos);
  EXPECT_NE(again.find(xml.substr(guid, 44)), std::string::npos) << again;
}

}  // namespace
}  // namespace corvalinde
