// opz.dat is user-writable: whatever bytes it holds, loading must not crash or read past them,
// must leave a record that saves and loads back unchanged, and the start-up that follows must
// not write or delete anything in the registry but the verbs of valid extensions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "common/letter_case.h"
#include "options/extension_name.h"
#include "options/opzioni.h"
#include "options/shell_verbs.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"

namespace {

using namespace corvalinde;
using namespace corvalinde::platform;

using Snapshot = std::map<std::wstring, std::wstring>;  // upper-cased key path -> its values

void Take(Registry& registry, RegKey root, const std::wstring& path, Snapshot& snapshot) {
  RegistryKey key(registry);
  if (key.Open(root, path, kKeyRead) != kRegSuccess) return;
  std::wstring values;
  wchar_t name[512];
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t size = 512, type = 0, dataSize = 0;
    if (registry.EnumValue(key.get(), i, name, &size) != kRegSuccess) break;
    registry.QueryValue(key.get(), std::wstring_view(name, size), &type, nullptr, &dataSize);
    std::string data(dataSize, '\0');
    registry.QueryValue(key.get(), std::wstring_view(name, size), &type,
                        reinterpret_cast<std::uint8_t*>(data.data()), &dataSize);
    values += std::wstring(name, size) + L'=' + std::to_wstring(type) + L':' +
              std::wstring(data.begin(), data.end()) + L'\n';
  }
  snapshot[ToUpperText(path)] = values;
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t size = 512;
    if (registry.EnumKey(key.get(), i, name, &size) != kRegSuccess) break;
    Take(registry, root, (path.empty() ? L"" : path + L"\\") + std::wstring(name, size), snapshot);
  }
}

Snapshot TakeAll(Registry& registry) {
  Snapshot all;
  // HKEY_CLASSES_ROOT is a view of the user's and the machine's classes: those are where
  // anything written through it lands.
  for (RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers}) {
    Snapshot one;
    Take(registry, root, L"", one);
    for (auto& [path, values] : one) all[std::to_wstring(root) + L":" + path] = values;
  }
  return all;
}

void Plant(Registry& registry, const std::wstring& path) {
  RegistryKey key(registry);
  key.Create(kHkeyClassesRoot, path, kKeyAllAccess);
  const std::uint8_t victim[] = {'v', 0, 0, 0};
  registry.SetValue(key.get(), L"", kRegSz, victim, sizeof victim);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The exact size, so any read past the file's end is caught.
  auto* bytes = new char[size];
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(data[i]);
  std::string file(bytes, size);
  delete[] bytes;

  Opzioni record = DefaultOpzioni();
  ParseOpz(file, record);
  if (record.NumExt != static_cast<std::int16_t>(record.Ext.size())) std::abort();
  for (const std::wstring& entry : record.Ext) {
    if (entry.size() != kExtensionLength || !IsValidExtensionName(entry)) std::abort();
  }

  std::string saved = SerializeOpz(record);
  Opzioni reloaded;
  if (!ParseOpz(saved, reloaded)) std::abort();
  if (reloaded.Associa != record.Associa || reloaded.WinStart != record.WinStart ||
      reloaded.Ext != record.Ext || SerializeOpz(reloaded) != saved) {
    std::abort();
  }

  // Start-up over a registry with keys an attacker would aim at, and verbs to be removed.
  inmemory::MemoryRegistry registry;
  for (const wchar_t* path :
       {L"exefile\\shell\\open\\command", L"txtfile\\shell\\open\\command",
        L"txt\\shellfile\\shell\\Registra\\command", L"dllfile\\shell\\Registra\\command"}) {
    Plant(registry, path);
  }
  Snapshot before = TakeAll(registry);
  RefreshShellVerbs(registry, record, L"C:\\Corvalinde\\Corvalinde.exe");
  Snapshot after = TakeAll(registry);

  // Allowed, under the user's or the machine's classes: <class>\shell\Registra|Unregistra
  // [\command] and the tie .<ext> of a listed extension, where the class is one key name (no
  // "\" inside), checked here without the program's validator.
  std::set<std::wstring> allowed;
  for (const std::wstring& entry : record.Ext) {
    std::wstring fileClass = FileClassName(entry);
    if (fileClass.find(L'\\') != std::wstring::npos) continue;
    for (RegKey root : {kHkeyCurrentUser, kHkeyLocalMachine}) {
      std::wstring classes = std::to_wstring(root) + L":SOFTWARE\\CLASSES\\";
      allowed.insert(classes + ToUpperText(ExtensionKey(entry)));
      std::wstring shell = classes + ToUpperText(fileClass) + L"\\SHELL";
      for (const wchar_t* tail :
           {L"\\REGISTRA", L"\\REGISTRA\\COMMAND", L"\\UNREGISTRA", L"\\UNREGISTRA\\COMMAND"}) {
        allowed.insert(shell + tail);
      }
    }
  }
  // Keys made on the way to a verb (the class and its shell key) may appear, empty.
  for (const auto& [path, values] : after) {
    if (before.count(path) ? before.at(path) == values : values.empty()) continue;
    if (!allowed.count(path)) std::abort();
  }
  for (const auto& [path, values] : before) {
    if (!after.count(path) && !allowed.count(path)) std::abort();
  }
  return 0;
}
