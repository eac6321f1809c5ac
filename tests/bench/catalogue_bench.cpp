// How long the module catalogue takes to load, against the floor: the same reads done the
// fastest way the registry interface allows (one enumeration pass, each key opened once).
// Builds 20,000 top-level keys under HKEY_CLASSES_ROOT, 5,000 of them programmatic identifiers
// with full class registrations: in memory natively, in the real registry under Windows/Wine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "browser/module_catalogue.h"
#include "platform/registry_text.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/registry_key.h"

#ifdef _WIN32
#include "platform/registry.h"
#else
#include "platform/inmemory/memory_registry.h"
#endif

namespace {

using namespace corvalinde;
using namespace corvalinde::platform;
using Clock = std::chrono::steady_clock;

constexpr int kKeys = 20000;
constexpr int kEveryProgId = 4;  // 5,000 identifiers

struct Quiet final : ProgressWindow, ListDrawing {
  void Show() override {}
  void Hide() override {}
  void SetCaption(const std::wstring& text) override { caption = text; }
  void SetRange(std::int64_t, std::int64_t) override {}
  void SetPosition(std::int64_t) override {}
  void Repaint() override {}
  void SetRedraw(bool) override {}
  std::wstring caption;
};

std::wstring Widened(const char* text) {
  return std::wstring(text, text + std::strlen(text));
}

std::wstring KeyName(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "CvBench.K%05d", i);
  return Widened(name);
}

std::wstring ClassId(int i) {
  char id[64];
  std::snprintf(id, sizeof id, "{CB000000-0000-0000-0000-%012d}", i);
  return Widened(id);
}

void SetText(Registry& registry, const std::wstring& path, std::wstring_view name,
             const std::wstring& text) {
  RegistryKey key(registry);
  key.Create(kHkeyClassesRoot, path, kKeyAllAccess);
  std::vector<std::uint8_t> bytes = ToRegistryText(text);
  registry.SetValue(key.get(), name, kRegSz, bytes.data(),
                    static_cast<std::uint32_t>(bytes.size()));
}

void Populate(Registry& registry) {
  for (int i = 0; i < kKeys; ++i) {
    std::wstring key = KeyName(i);
    if (i % kEveryProgId) {
      SetText(registry, key, {}, L"file type " + std::to_wstring(i));
      continue;
    }
    std::wstring clsid = ClassId(i), cls = L"CLSID\\" + clsid;
    SetText(registry, key, {}, L"Bench class " + std::to_wstring(i));
    SetText(registry, key + L"\\CLSID", {}, clsid);
    if (i % 2) SetText(registry, cls + L"\\LocalServer32", {}, L"C:\\bench\\server.exe");
    SetText(registry, cls + L"\\InProcServer32", {},
            L"C:\\bench\\module" + std::to_wstring(i) + L".dll");
    SetText(registry, cls + L"\\InProcServer32", L"ThreadingModel", L"Both");
    SetText(registry, cls + L"\\Version", {}, L"1.0");
    SetText(registry, cls + L"\\VersionIndependentProgID", {}, key);
  }
}

void Cleanup(Registry& registry) {
  for (int i = 0; i < kKeys; ++i) {
    std::wstring key = KeyName(i), cls = L"CLSID\\" + ClassId(i);
    for (const std::wstring& path :
         {key + L"\\CLSID", key, cls + L"\\LocalServer32", cls + L"\\InProcServer32",
          cls + L"\\Version", cls + L"\\VersionIndependentProgID", cls}) {
      registry.DeleteKey(kHkeyClassesRoot, path);
    }
  }
}

// A default (or named) value as text, read once from an open key.
std::wstring Read(Registry& registry, RegKey key, std::wstring_view name = {}) {
  std::uint8_t data[1024];
  std::uint32_t size = sizeof data, type = 0;
  if (registry.QueryValue(key, name, &type, data, &size)) return {};
  return FromRegistryText(data, size);
}

std::wstring ReadSub(Registry& registry, RegKey parent, const wchar_t* sub,
                     std::wstring_view name = {}) {
  RegistryKey key(registry);
  if (key.Open(parent, sub, kKeyQueryValue)) return {};
  return Read(registry, key.get(), name);
}

// The floor: the same rows, read with each key opened once.
std::size_t Floor(Registry& registry) {
  std::vector<std::wstring> names;
  wchar_t name[kMaxKeyNameLength + 1];
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t size = std::size(name);
    if (registry.EnumKey(kHkeyClassesRoot, i, name, &size) != kRegSuccess) break;
    names.emplace_back(name, size);
  }
  RegistryKey classes(registry);
  classes.Open(kHkeyClassesRoot, L"CLSID", kKeyEnumerateSubKeys | kKeyQueryValue);
  std::vector<std::array<std::wstring, 9>> rows;
  for (const std::wstring& keyName : names) {
    RegistryKey key(registry);
    if (key.Open(kHkeyClassesRoot, keyName, kKeyQueryValue)) continue;
    std::wstring title = Read(registry, key.get());
    std::wstring clsid = ReadSub(registry, key.get(), L"CLSID");
    if (clsid.empty()) continue;
    RegistryKey cls(registry);
    cls.Open(classes.get(), clsid, kKeyQueryValue);
    rows.push_back({std::to_wstring(rows.size() + 1), title, keyName, clsid,
                    ReadSub(registry, cls.get(), L"LocalServer32"),
                    ReadSub(registry, cls.get(), L"InProcServer32"),
                    ReadSub(registry, cls.get(), L"InProcServer32", L"ThreadingModel"),
                    ReadSub(registry, cls.get(), L"Version"),
                    ReadSub(registry, cls.get(), L"VersionIndependentProgID")});
  }
  return rows.size();
}

template <typename Work>
double BestMilliseconds(int runs, Work work) {
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main() {
#ifdef _WIN32
  auto registry = MakeSystemRegistry();
  const char* backend = "Windows registry";
#else
  auto registry = std::make_unique<inmemory::MemoryRegistry>();
  const char* backend = "in-memory registry";
#endif
  auto built = Clock::now();
  Populate(*registry);
  std::printf("%s: %d keys under HKEY_CLASSES_ROOT written in %.0f ms\n", backend, kKeys,
              std::chrono::duration<double, std::milli>(Clock::now() - built).count());

  Quiet quiet;
  inmemory::RecordingMessageBoxes boxes;
  ModuleCatalogue catalogue;
  std::size_t floorRows = 0;
  double load = BestMilliseconds(3, [&] { catalogue.Load(*registry, quiet, quiet, boxes); });
  double floor = BestMilliseconds(3, [&] { floorRows = Floor(*registry); });
  double search = BestMilliseconds(5, [&] {
    catalogue.Select(0);
    catalogue.Find(SearchColumn::Module, L"nessun modulo ha questo nome", quiet, boxes);
  });
  std::printf("catalogue load: %.1f ms for %zu rows\n", load, catalogue.Rows().size());
  std::printf("floor (each key opened once): %.1f ms for %zu rows\n", floor, floorRows);
  std::printf("load / floor: %.2f (target: 2.00 or less)\n", load / floor);
  std::printf("full search that finds nothing: %.2f ms (target natively: under 20 ms)\n", search);

  Cleanup(*registry);
  return catalogue.Rows().size() == floorRows ? 0 : 1;
}
