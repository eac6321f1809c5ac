// How long the module catalogue takes to load, against the floor: the same reads done the
// fastest way the registry interface allows (one enumeration pass, each key opened once).
// Builds 20,000 top-level keys under HKEY_CLASSES_ROOT, 5,000 of them programmatic identifiers
// with full class registrations: in memory natively, in the real registry under Windows/Wine.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "browser/file_checks.h"
#include "browser/module_catalogue.h"
#include "browser/orphan_removal.h"
#include "browser/registered_file.h"
#include "registry/classes_file.h"
#include "platform/registry_text.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/files.h"
#include "platform/registry_key.h"

#ifdef _WIN32
#include "app_driver.h"
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
constexpr int kSortedRows = 20000;

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

void Populate(Registry& registry, int keys = kKeys, int everyProgId = kEveryProgId) {
  for (int i = 0; i < keys; ++i) {
    std::wstring key = KeyName(i);
    if (i % everyProgId) {
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
  std::vector<std::array<std::wstring, 11>> rows;
  for (const std::wstring& keyName : names) {
    RegistryKey key(registry);
    if (key.Open(kHkeyClassesRoot, keyName, kKeyQueryValue)) continue;
    std::wstring title = Read(registry, key.get());
    std::wstring clsid = ReadSub(registry, key.get(), L"CLSID");
    if (clsid.empty()) continue;
    RegistryKey cls(registry), inProc(registry), own(registry), treatAs(registry);
    cls.Open(classes.get(), clsid, kKeyQueryValue);
    // The catalogue also asks whether another class stands in for it.
    for (const wchar_t* standIn : {L"TreatAs", L"AutoTreatAs"}) {
      if (treatAs.Open(cls.get(), standIn, kKeyQueryValue) == kRegSuccess)
        Read(registry, treatAs.get());
    }
    inProc.Open(cls.get(), L"InProcServer32", kKeyQueryValue);
    // The catalogue also asks whether the class is the user's: one key more, opened once.
    bool user =
        own.Open(kHkeyCurrentUser, L"Software\\Classes\\CLSID\\" + clsid, kKeyRead) == kRegSuccess;
    rows.push_back({std::to_wstring(rows.size() + 1), title, keyName, clsid,
                    ReadSub(registry, cls.get(), L"LocalServer32"), Read(registry, inProc.get()),
                    Read(registry, inProc.get(), L"ThreadingModel"),
                    ReadSub(registry, cls.get(), L"Version"),
                    ReadSub(registry, cls.get(), L"VersionIndependentProgID"), L"",
                    user ? L"utente" : L"macchina"});
  }
  return rows.size();
}

// The machine's files, with its C: drive here too (the benchmark's classes name C:\bench, which
// is not there).
FileSearch BenchFileSearch(Registry& registry) {
  FileSearch search = SystemFileSearch(registry);
#ifndef _WIN32
  search.lookUp = [](const std::wstring& path) {
    return path == L"C:\\" ? FileLookup{FileLookup::Found::Folder} : LookUpFile(path);
  };
#endif
  return search;
}

// The check of every row's files, as the browser runs it once the list is shown.
double FileChecksMilliseconds(Registry& registry, const ModuleCatalogue& catalogue) {
  auto start = Clock::now();
  FileChecks checks(BenchFileSearch(registry));
  std::size_t missing = 0;
  for (std::size_t row = 0; row < catalogue.Facts().size(); ++row) {
    const ClassServers& servers = catalogue.Facts()[row].servers;
    if (servers.module.empty() && servers.commandLine.empty()) continue;
    missing += checks.Check(row, servers).state == FileState::Missing;
  }
  double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf("file checks of %zu rows (%zu missing): %.1f ms\n", catalogue.Rows().size(), missing,
              took);
  return took;
}

// Every class of the benchmark is an orphan (its file is not there): removing them all, as
// "Rimuovi voci orfane..." does with administrator rights, the backup written first. The best
// of `rounds`, the classes registered again before each. In memory, a key's removal shifts its
// siblings in a sorted array (thousands under CLSID), a cost the real registry does not have.
double RemovalMilliseconds(Registry& registry, ModuleCatalogue& catalogue, int rounds) {
  std::vector<ModuleCatalogue::FileFacts> facts;
  std::vector<std::size_t> rows;
  for (std::size_t row = 0; row < catalogue.Rows().size(); ++row) {
    // The system's own classes stay, whatever their files.
    if (catalogue.Rows()[row][kColumnClassName].rfind(L"CvBench.", 0) != 0) continue;
    facts.push_back({row, FileState::Missing, L"file mancante", {}, {}});
    rows.push_back(row);
  }
  catalogue.SetFileFacts(facts);
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "cv-bench-backup";
  double best = 1e30;
  std::size_t removed = 0, classes = 0;
  for (int round = 0; round < rounds; ++round) {
    if (round) Populate(registry);
    std::filesystem::remove_all(folder);
    auto start = Clock::now();
    RegisteredFiles files(BenchFileSearch(registry));
    RemovalPlan plan = PlanRemoval(registry, OrphansAmong(catalogue, rows), files);
    Backup backup = WriteBackup(registry, plan, folder.wstring(), LocalTimeNow());
    auto file = ReadClassesFile(backup.bytes);
    if (!backup.written || !std::holds_alternative<ClassesFile>(file)) {
      std::printf("the backup failed\n");
      return 0;
    }
    ClassesDone done = RemoveClasses(std::get<ClassesFile>(file), ClassesPart::Machine, registry);
    if (done.error) {
      std::printf("the removal stopped at line %zu\n", done.error->line);
      return 0;
    }
    removed = done.keys;
    classes = plan.classes;
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::filesystem::remove_all(folder);
  std::printf("removal of %zu orphaned classes (%zu keys), backup included: %.1f ms\n", classes,
              removed, best);
  return best;
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

#ifdef _WIN32
// The real window on the same registry: from the menu command to the list shown, against the
// catalogue's load alone; and a search that finds nothing, from the click to its answer.
void WindowFigures(double loadAlone) {
  using namespace corvalinde::e2e;
  using namespace std::chrono_literals;
  AppProcess app(ProgramPath(), L"");
  HWND control = WaitForTrayControl(app);
  if (!control) return (void)std::printf("the tray did not start\n");
  auto visible = [&](const wchar_t* windowClass, std::chrono::seconds limit) {
    HWND found = nullptr;
    for (auto end = Clock::now() + limit; !found && Clock::now() < end; Sleep(5)) {
      found = app.FindWindowOfClass(windowClass, true);
    }
    return found;
  };
  for (int round = 1; round <= 2; ++round) {  // the first also loads what Wine loads once
    auto start = Clock::now();
    ChooseFromTrayMenu(app, control, TrayCommand::ModuleList);
    HWND browser = visible(L"CorvalindeModuli", 120s);
    double open = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!browser) return (void)std::printf("the browser did not open\n");
    std::printf(
        "window, opening %d: menu to list shown %.0f ms; / catalogue load alone: %.2f "
        "(target: 1.20 or less; includes opening the menu)\n",
        round, open, open / loadAlone);
    corvalinde::e2e::SetText(FindChild(browser, L"Edit", 1), L"nessun eseguibile ha questo nome");
    // The first search starts while the file checks of the rows run; the others once they
    // have ended.
    for (int search = 1; search <= 3; ++search) {
      if (search == 2) Sleep(3000);
      start = Clock::now();
      PressButton(browser, L"Ricerca");
      HWND box = visible(L"#32770", 30s);
      std::printf(
          "window, search %d%s: finds nothing, click to answer %.1f ms (target: 50 ms or "
          "less)\n",
          search, search == 1 ? " (file checks running)" : "",
          std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      if (box) PressButton(box, L"OK");
      while (box && IsWindow(box)) Sleep(1);
    }
    PressButton(browser, L"Esci");
    while (IsWindow(browser)) Sleep(1);
  }
}
#endif

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

  FileChecksMilliseconds(*registry, catalogue);
#ifdef _WIN32
  WindowFigures(load);
#endif
  double removal = RemovalMilliseconds(*registry, catalogue, 2);
  std::printf("removal / catalogue load: %.2f (target: 2.00 or less)\n", removal / load);
  Cleanup(*registry);

#ifndef _WIN32
  // Sorting and filtering work on rows already loaded: a catalogue of 20,000 classes.
  inmemory::MemoryRegistry large;
  Populate(large, kSortedRows, 1);
  ModuleCatalogue many;
  many.Load(large, quiet, quiet, boxes);
  bool byName = true;
  double sort = BestMilliseconds(
      5, [&] { many.SortBy((byName = !byName) ? kColumnNome : kColumnNomeModulo); });
  double sortById = BestMilliseconds(5, [&] { many.SortBy(kColumnId); });
  const std::wstring typed = L"module1234";
  double filter = BestMilliseconds(3, [&] {
    for (std::size_t length = 1; length <= typed.size(); ++length) {
      many.SetFilter(typed.substr(0, length), false);
    }
  });
  std::printf("sort of %zu rows by a text column: %.1f ms, by ID: %.1f ms (target: under 50 ms)\n",
              many.Rows().size(), sort, sortById);
  std::printf("filter per keystroke over %zu rows: %.1f ms (target: under 20 ms)\n",
              many.Rows().size(), filter / static_cast<double>(typed.size()));
#endif
  return catalogue.Rows().size() == floorRows ? 0 : 1;
}
