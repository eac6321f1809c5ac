#include "browser/orphan_removal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/browser_actions.h"
#include "browser/cleanup_messages.h"
#include "browser/module_catalogue.h"
#include "common/sha256.h"
#include "platform/files.h"
#include "platform/inmemory/recording_dialogs.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registration/classes_host.h"
#include "registry/classes_file.h"
#include "scripted_registrar.h"

namespace corvalinde {
namespace {

using namespace platform;

// A host that runs in this process over the same registry, as the elevated one would: it is
// handed nothing but its command line.
struct InProcessHost final : HostLauncher {
  explicit InProcessHost(Registry& registry) : registry(registry) {}
  HostRun Run(const std::wstring&, const std::wstring& arguments, const std::wstring&,
              bool elevated, const std::wstring&, std::string_view, std::string_view,
              std::chrono::milliseconds, std::chrono::milliseconds) override {
    elevatedRuns += elevated;
    HostRun run;
    if (refuse) {
      run.startError = 1223;
      return run;
    }
    run.started = true;
    std::optional<HostCommand> command = ParseHostCommand(arguments);
    RunClassesHost(*command, *command->classes, registry,
                   [&](std::string_view text) { run.output += text; });
    return run;
  }
  Registry& registry;
  int elevatedRuns = 0;
  bool refuse = false;
};

class Orphans : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("corvalinde-orphans-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    // Machine: {M} (identifiers M.Prog and M.Vind; application {SHARED}, which {KEPT} names
    // too), {N} (application {OWN}, an empty key, named by nothing else), {P} (its
    // application {WOW} named by a 32-bit class); an identifier that names {M} in {M}'s key
    // but another class itself. User: {U}, with U.Prog.
    Class(false, L"{M}", L"M.Prog", L"M.Vind", L"{SHARED}");
    Set(false, L"Elsewhere.Prog\\CLSID", L"{X}");
    Set(false, L"CLSID\\{M}\\ProgID", L"Elsewhere.Prog");
    Set(false, L"CLSID\\{KEPT}", L"{SHARED}", L"AppID");
    Set(false, L"CLSID\\{KEPT}\\InprocServer32", L"C:\\sparito\\{KEPT}.dll");
    Set(false, L"AppID\\{SHARED}", L"condivisa");
    Class(false, L"{N}", L"", L"", L"{OWN}");
    RegistryKey empty(registry_);
    empty.Create(kHkeyLocalMachine, L"Software\\Classes\\AppID\\{OWN}", kKeyAllAccess);
    Class(false, L"{P}", L"", L"", L"{WOW}");
    Set(false, L"AppID\\{WOW}", L"32 bit");
    Set(false, L"WOW6432Node\\CLSID\\{W32}", L"{WOW}", L"AppID");
    Class(true, L"{U}", L"U.Prog", L"", L"");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void Set(bool user, const std::wstring& path, const std::wstring& text,
           std::wstring_view name = {}) {
    RegistryKey key(registry_);
    ASSERT_EQ(key.Create(user ? kHkeyCurrentUser : kHkeyLocalMachine, L"Software\\Classes\\" + path,
                         kKeyAllAccess),
              kRegSuccess);
    std::vector<std::uint8_t> bytes = ToRegistryText(text);
    registry_.SetValue(key.get(), name, kRegSz, bytes.data(),
                       static_cast<std::uint32_t>(bytes.size()));
  }
  void Class(bool user, const std::wstring& clsid, const std::wstring& progId,
             const std::wstring& vind, const std::wstring& appId) {
    Set(user, L"CLSID\\" + clsid, L"classe " + clsid);
    Set(user, L"CLSID\\" + clsid + L"\\InprocServer32", L"C:\\sparito\\" + clsid + L".dll");
    for (const std::wstring& id : {progId, vind}) {
      if (id.empty()) continue;
      Set(user, L"CLSID\\" + clsid + (id == vind ? L"\\VersionIndependentProgID" : L"\\ProgID"),
          id);
      Set(user, id + L"\\CLSID", clsid);
    }
    if (!appId.empty()) Set(user, L"CLSID\\" + clsid, appId, L"AppID");
  }
  // A class the list showed with its file missing.
  static OrphanClass Gone(const std::wstring& clsid, bool user = false,
                          std::vector<std::wstring> progIds = {}) {
    return {clsid, user, std::move(progIds), {L"C:\\sparito\\" + clsid + L".dll", L""}};
  }
  // The files as `present_` has them.
  FileSearch Files() {
    return FileSearch{[this](const std::wstring& path) {
                        return path == L"C:\\"        ? FileLookup{FileLookup::Found::Folder}
                               : present_.count(path) ? FileLookup{FileLookup::Found::File}
                                                      : FileLookup{};
                      },
                      [](const std::wstring& text) { return text; }};
  }
  RemovalPlan Plan(const std::vector<OrphanClass>& classes) {
    RegisteredFiles files(Files());
    return PlanRemoval(registry_, classes, files);
  }
  // The list as it is read, every row's file said to be missing.
  void LoadAllMissing(ModuleCatalogue& catalogue) {
    struct Quiet final : ProgressWindow, ListDrawing {
      void Show() override {}
      void Hide() override {}
      void SetCaption(const std::wstring&) override {}
      void SetRange(std::int64_t, std::int64_t) override {}
      void SetPosition(std::int64_t) override {}
      void Repaint() override {}
      void SetRedraw(bool) override {}
    } quiet;
    inmemory::RecordingMessageBoxes boxes;
    catalogue.Load(registry_, quiet, quiet, boxes);
    std::vector<ModuleCatalogue::FileFacts> facts;
    for (std::size_t row = 0; row < catalogue.Rows().size(); ++row) {
      const ClassServers& servers = catalogue.Facts()[row].servers;
      if (servers.module.empty() && servers.commandLine.empty()) continue;  // nothing to check
      facts.push_back({row, FileState::Missing, L"file mancante", L"", L""});
    }
    catalogue.SetFileFacts(facts);
  }
  std::wstring Everything() {
    return WriteRegFile(registry_, {{kHkeyLocalMachine, L"Software\\Classes", L"M"},
                                    {kHkeyCurrentUser, L"Software\\Classes", L"U"}})
        .text;
  }
  std::vector<std::wstring> Keys(const RemovalPlan& plan) {
    std::vector<std::wstring> keys;
    for (const OrphanKey& key : plan.keys) keys.push_back(FullKeyName(key));
    return keys;
  }
  ClassesFile Read(const std::string& bytes) {
    auto file = ReadClassesFile(bytes);
    EXPECT_TRUE(std::holds_alternative<ClassesFile>(file));
    return std::get<ClassesFile>(file);
  }

  // The browser over this registry, its list loaded with every file missing; its backups in
  // <folder>\Backup.
  struct Browser {
    explicit Browser(Orphans& test)
        : host(test.registry_),
          actions({test.registry_, boxes, dialogs, host, registrar, L"C.exe", false,
                   (test.folder_ / "Backup").wstring(), [&test] { return test.noon_; },
                   [&test] { return test.Files(); }}) {
      test.LoadAllMissing(catalogue);
    }
    ModuleCatalogue catalogue;
    inmemory::RecordingMessageBoxes boxes;
    inmemory::RecordingDialogs dialogs;
    InProcessHost host;
    testing::ScriptedRegistrar registrar;
    BrowserActions actions;
  };

  inmemory::MemoryRegistry registry_;
  std::set<std::wstring> present_;  // files there, by the full path
  std::filesystem::path folder_;
  std::tm noon_ = [] {
    std::tm noon{};
    noon.tm_year = 126, noon.tm_mon = 11, noon.tm_mday = 8, noon.tm_hour = 12;  // 2026-12-08
    return noon;
  }();
};

TEST_F(Orphans, OnlyAClasssOwnKeysAreTaken) {
  RemovalPlan plan = Plan({Gone(L"{M}", false, {L"M.Vind"}), Gone(L"{N}"), Gone(L"{P}"),
                           Gone(L"{U}", true, {L"U.Prog"}), Gone(L"{GONE}"), Gone(L"..\\CLSID")});
  EXPECT_EQ(plan.classes, 4u);
  const std::wstring m = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\";
  const std::wstring u = L"HKEY_CURRENT_USER\\Software\\Classes\\";
  EXPECT_EQ(Keys(plan), (std::vector<std::wstring>{
                            m + L"CLSID\\{M}", m + L"M.Vind",  // not Elsewhere.Prog, nor {SHARED}
                            m + L"CLSID\\{N}", m + L"AppID\\{OWN}",
                            m + L"CLSID\\{P}",  // {WOW} is named by a 32-bit class
                            u + L"CLSID\\{U}", u + L"U.Prog"}));
  // Two classes that share an application, both going: it goes too.
  plan = Plan({Gone(L"{M}"), Gone(L"{KEPT}")});
  EXPECT_EQ(Keys(plan), (std::vector<std::wstring>{m + L"CLSID\\{M}", m + L"M.Vind",
                                                   m + L"AppID\\{SHARED}", m + L"CLSID\\{KEPT}"}));
}

// Looked at again before the question: a file back, a class registered otherwise now, a live
// server beside a dead one, a class another stands in for; and identifiers that also serve as a
// file type, or whose current version is a class that stays, are left where they are.
TEST_F(Orphans, OnlyWhatIsStillGoneIsTakenAndNothingAnotherUseShares) {
  const std::wstring live = L"C:\\vivo\\live.dll";
  present_.insert(live);
  Set(false, L"CLSID\\{LIVE}\\InprocServer32", live);
  Set(false, L"CLSID\\{T}\\InprocServer32", L"C:\\sparito\\{T}.dll");
  Set(false, L"CLSID\\{T}\\TreatAs", L"{LIVE}");
  Set(false, L"T.Prog\\CLSID", L"{T}");
  Set(false, L"CLSID\\{S}\\InprocServer32", L"C:\\sparito\\{S}.dll");
  Set(false, L"CLSID\\{S}\\LocalServer32", L"\"" + live + L"\" -Embedding");
  Class(false, L"{F}", L"F.Prog", L"F.Vind", L"");
  Set(false, L"F.Prog\\shell\\open\\command", L"f.exe \"%1\"");
  Set(false, L".fext", L"F.Vind");
  Set(false, L"F.Vind\\CurVer", L"F.Prog");
  Class(false, L"{V}", L"V.Prog.1", L"V.Prog", L"");
  Set(false, L"V.Prog\\CurVer", L"V.Prog.2");
  Set(false, L"V.Prog.2\\CLSID", L"{LIVE}");
  present_.insert(L"C:\\sparito\\{M}.dll");  // back since the list was read
  Set(false, L"CLSID\\{N}\\InprocServer32", L"C:\\altrove\\{N}.dll");  // registered anew

  ModuleCatalogue catalogue;
  LoadAllMissing(catalogue);
  std::vector<OrphanClass> orphans = OrphansAmong(catalogue, catalogue.Shown());
  orphans.push_back(
      {L"{S}", false, {}, {L"C:\\sparito\\{S}.dll", L"\"" + live + L"\" -Embedding"}});
  orphans.push_back(Gone(L"{N}"));

  RemovalPlan plan = Plan(orphans);
  const std::wstring m = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\";
  const std::wstring u = L"HKEY_CURRENT_USER\\Software\\Classes\\";
  EXPECT_EQ(Keys(plan),
            (std::vector<std::wstring>{m + L"CLSID\\{F}", u + L"CLSID\\{U}", u + L"U.Prog",
                                       m + L"CLSID\\{V}", m + L"V.Prog.1"}));
  // {M}; {T}, judged by the {LIVE} it is treated as; {LIVE}; {S}, by its local server.
  EXPECT_EQ(plan.leftOut.fileBack, 4u);
  EXPECT_EQ(plan.leftOut.changed, 1u);  // {N}
  std::vector<std::wstring> kept;
  for (const OrphanKey& key : plan.fileTypes) kept.push_back(key.path);
  EXPECT_EQ(kept, (std::vector<std::wstring>{L"F.Prog", L"F.Vind"}));
  ASSERT_EQ(plan.currentVersions.size(), 1u);
  EXPECT_EQ(plan.currentVersions[0].path, L"V.Prog");
}

TEST_F(Orphans, TheBackupGivesBackExactlyWhatWasRemoved) {
  const std::wstring before = Everything();
  RemovalPlan plan = Plan({Gone(L"{M}"), Gone(L"{N}"), Gone(L"{U}", true, {L"U.Prog"})});
  Backup backup = WriteBackup(registry_, plan, (folder_ / "Backup").wstring(), noon_);
  ASSERT_TRUE(backup.written) << backup.error;
  EXPECT_EQ(std::filesystem::path(backup.path).filename(), "rimozione-20261208-120000.reg");
  EXPECT_EQ(ReadFileStart(backup.path, 1 << 20), backup.bytes);
  // Not elevated: the machine's part through the host, the user's here.
  InProcessHost host(registry_);
  ClassesFile file = Read(backup.bytes);
  std::optional<ClassesDone> removed =
      ApplyClassesFile(ClassesAction::Remove, file, backup.path, registry_, {host, L"C.exe"});
  ASSERT_TRUE(removed.has_value());
  EXPECT_FALSE(removed->error);
  EXPECT_EQ(removed->keys, 14u);  // {M} 4, M.Vind 2, {N} 2, {OWN} 1, {U} 3, U.Prog 2
  EXPECT_EQ(host.elevatedRuns, 1);
  RegistryKey key(registry_);
  EXPECT_EQ(key.Open(kHkeyLocalMachine, L"Software\\Classes\\AppID\\{OWN}", kKeyRead),
            kRegNotFound);
  EXPECT_EQ(key.Open(kHkeyCurrentUser, L"Software\\Classes\\U.Prog", kKeyRead), kRegNotFound);

  // The same second again: a name of its own.
  Backup second = WriteBackup(registry_, plan, (folder_ / "Backup").wstring(), noon_);
  EXPECT_EQ(std::filesystem::path(second.path).filename(), "rimozione-20261208-120000-2.reg");

  std::optional<ClassesDone> restored = ApplyClassesFile(ClassesAction::Restore, file, backup.path,
                                                         registry_, {host, L"C.exe", true});
  ASSERT_TRUE(restored.has_value());
  EXPECT_EQ(host.elevatedRuns, 1);  // elevated: nothing more through the host
  EXPECT_EQ(Everything(), before);
}

TEST_F(Orphans, NothingIsRemovedWithoutABackupOrWhenTheElevationIsRefused) {
  const std::wstring before = Everything();
  RemovalPlan plan = Plan({Gone(L"{N}"), Gone(L"{U}", true)});
  { std::ofstream(folder_ / "Backup") << "un file"; }
  Backup backup = WriteBackup(registry_, plan, (folder_ / "Backup").wstring(), noon_);
  EXPECT_FALSE(backup.written);
  EXPECT_TRUE(backup.noFolder);

  std::filesystem::remove(folder_ / "Backup");
  backup = WriteBackup(registry_, plan, (folder_ / "Backup").wstring(), noon_);
  InProcessHost host(registry_);
  host.refuse = true;
  EXPECT_FALSE(ApplyClassesFile(ClassesAction::Remove, Read(backup.bytes), backup.path, registry_,
                                {host, L"C.exe"}));
  EXPECT_EQ(Everything(), before);  // the user's part neither
}

// The elevated host does what the user was shown or nothing: a backup changed after the
// question removes nothing. A restore writes the machine's keys of HKEY_CLASSES_ROOT to the
// machine's classes, and its question names them so.
TEST_F(Orphans, TheHostDoesWhatWasShownOrNothing) {
  EXPECT_EQ(Sha256Hex("abc"), L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex(std::string(1000, 'a')).substr(0, 16), L"41edece42d63e8d9");
  const std::wstring before = Everything();
  RemovalPlan plan = Plan({Gone(L"{N}")});
  Backup backup = WriteBackup(registry_, plan, (folder_ / "Backup").wstring(), noon_);
  ASSERT_TRUE(backup.written);
  ClassesFile shown = Read(backup.bytes);
  const std::wstring header = L"Windows Registry Editor Version 5.00\r\n\r\n";
  ASSERT_TRUE(ReplaceFileContent(
      backup.path,
      RegFileBytes(header + L"[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{M}]\r\n")));
  InProcessHost host(registry_);
  std::optional<ClassesDone> done =
      ApplyClassesFile(ClassesAction::Remove, shown, backup.path, registry_, {host, L"C.exe"});
  ASSERT_TRUE(done && done->error);
  EXPECT_EQ(RemovalReport(backup, *done),
            L"Il file è cambiato dopo la conferma: nulla è stato scritto.");
  EXPECT_EQ(Everything(), before);

  const std::string restore =
      RegFileBytes(header + L"[HKEY_CLASSES_ROOT\\Nuovo.Prog]\r\n@=\"x\"\r\n");
  ClassesFile file = Read(restore);
  EXPECT_EQ(RestoreQuestion(L"r.reg", file),
            L"Ripristinare da r.reg?\r\n1 chiavi e 1 valori. Chiavi da scrivere:\r\n"
            L"HKEY_LOCAL_MACHINE\\Software\\Classes\\Nuovo.Prog");
  ASSERT_TRUE(ReplaceFileContent((folder_ / "r.reg").wstring(), restore));
  done = ApplyClassesFile(ClassesAction::Restore, file, (folder_ / "r.reg").wstring(), registry_,
                          {host, L"C.exe"});
  ASSERT_TRUE(done && !done->error);
  RegistryKey written(registry_);
  ASSERT_EQ(written.Open(kHkeyLocalMachine, L"Software\\Classes\\Nuovo.Prog", kKeyRead),
            kRegSuccess);
  std::uint8_t data[16];
  std::uint32_t type = 0, size = sizeof data;
  ASSERT_EQ(registry_.QueryValue(written.get(), {}, &type, data, &size), kRegSuccess);
  EXPECT_EQ(FromRegistryText(data, size), L"x");
}

// The browser's clean-up as the user drives it: nothing without a yes, nothing when the
// elevation is refused (the backup stays), then the removal and its report; the backup written
// back through "Ripristina"; and a look again that finds nothing left says so.
TEST_F(Orphans, TheBrowserRemovesOnlyAfterAYesAndABackupAndRestoresFromIt) {
  const std::wstring before = Everything();
  Browser browser(*this);
  auto& [catalogue, boxes, dialogs, host, registrar, actions] = browser;
  auto lastBox = [&] { return boxes.Shown().back(); };

  EXPECT_FALSE(actions.RemoveOrphans(catalogue, catalogue.Shown()));  // No
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].buttons, MessageButtons::YesNo);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Backup"));

  host.refuse = true;
  boxes.QueueAnswer(MessageAnswer::Yes);
  EXPECT_FALSE(actions.RemoveOrphans(catalogue, catalogue.Shown()));
  EXPECT_EQ(lastBox().text, L"Nulla è stato rimosso.");
  EXPECT_EQ(Everything(), before);

  host.refuse = false;
  boxes.QueueAnswer(MessageAnswer::Yes);
  EXPECT_TRUE(actions.RemoveOrphans(catalogue, catalogue.Shown()));
  EXPECT_EQ(lastBox().icon, MessageIcon::Information);
  EXPECT_EQ(lastBox().text.rfind(L"Rimosse 2 classi", 0), 0u) << lastBox().text;
  RegistryKey key(registry_);
  EXPECT_EQ(key.Open(kHkeyCurrentUser, L"Software\\Classes\\U.Prog", kKeyRead), kRegNotFound);

  EXPECT_FALSE(actions.RemoveOrphans(catalogue, catalogue.Shown()));  // looked at again
  EXPECT_EQ(lastBox().buttons, MessageButtons::Ok);

  EXPECT_FALSE(actions.Restore());  // the file dialog cancelled
  dialogs.fileAnswers.push_back((folder_ / "Backup" / "rimozione-20261208-120000-2.reg").wstring());
  boxes.QueueAnswer(MessageAnswer::Yes);
  EXPECT_TRUE(actions.Restore());
  EXPECT_EQ(lastBox().icon, MessageIcon::Information);
  EXPECT_EQ(Everything(), before);
  const std::wstring notReg = (folder_ / "lista.txt").wstring();
  ASSERT_TRUE(ReplaceFileContent(notReg, "non un file di registro"));
  dialogs.fileAnswers.push_back(notReg);
  const std::size_t shown = boxes.Shown().size();
  EXPECT_FALSE(actions.Restore());
  EXPECT_EQ(boxes.Shown().size(), shown + 1);  // refused at once, nothing asked
  EXPECT_EQ(lastBox().icon, MessageIcon::Error);
}

// Unregistering from the list asks first; the export writes the type chosen.
TEST_F(Orphans, TheBrowserUnregistersWhenToldAndExportsTheTypeChosen) {
  Browser browser(*this);
  auto& [catalogue, boxes, dialogs, host, registrar, actions] = browser;
  registrar.result.outcome = RegDone;
  EXPECT_FALSE(actions.Unregister(L"C:\\m.dll"));
  EXPECT_TRUE(registrar.runs.empty());
  boxes.QueueAnswer(MessageAnswer::Yes);
  EXPECT_TRUE(actions.Unregister(L"C:\\m.dll"));
  EXPECT_EQ(registrar.actions, std::vector<Action>{Action::Unregister});
  EXPECT_EQ(boxes.Shown().back().text, L"Modulo : C:\\m.dll\r\nUnregistrato con successo");

  dialogs.fileAnswers = {(folder_ / "lista").wstring(), (folder_ / "lista").wstring(),
                         (folder_ / "manca" / "lista.csv").wstring()};
  dialogs.savedType = 1;
  actions.ExportShownRows(catalogue);
  EXPECT_NE(ReadFileStart((folder_ / "lista.html").wstring(), 1 << 16)->find("<table"),
            std::string::npos);
  dialogs.savedType = 0;
  actions.ExportShownRows(catalogue);
  EXPECT_EQ(ReadFileStart((folder_ / "lista.csv").wstring(), 3), "\xEF\xBB\xBF");
  actions.ExportShownRows(catalogue);
  EXPECT_EQ(boxes.Shown().back().icon, MessageIcon::Error);
}

// "Verifica registrazione" says what is missing and offers to register again, which verifies
// once more.
TEST_F(Orphans, VerifyingFromTheListOffersToRegisterAgain) {
  Browser browser(*this);
  auto& [catalogue, boxes, dialogs, host, registrar, actions] = browser;
  registrar.result.outcome = RegDone;
  auto threadingModel = [this](RegKey root, const std::wstring& classes) {
    RegistryKey key(registry_);
    ASSERT_EQ(key.Create(root, classes + L"\\CLSID\\{N}\\InprocServer32", kKeyAllAccess),
              kRegSuccess);
    std::vector<std::uint8_t> both = ToRegistryText(L"Both");
    registry_.SetValue(key.get(), L"ThreadingModel", kRegSz, both.data(),
                       static_cast<std::uint32_t>(both.size()));
  };
  registrar.whileCapturing = [&](const std::wstring& scratch) {
    threadingModel(kHkeyCurrentUser, scratch + L"\\HKEY_CLASSES_ROOT");
  };
  EXPECT_FALSE(actions.Verify(L"C:\\sparito\\{N}.dll", RegistrationScope::Machine));  // No
  EXPECT_EQ(boxes.Shown().back().text,
            L"Modulo : C:\\sparito\\{N}.dll\r\nRegistrazione incompleta o diversa:\r\nManca il "
            L"valore: HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{N}\\InprocServer32 "
            L"ThreadingModel\r\nRegistrato per i programmi a 64 bit: un programma a 32 bit non "
            L"troverà queste classi.\r\n\r\nRegistrare di nuovo il modulo?");
  EXPECT_TRUE(registrar.runs.empty());

  registrar.whileRunning = [&] { threadingModel(kHkeyLocalMachine, L"Software\\Classes"); };
  boxes.QueueAnswer(MessageAnswer::Yes);
  EXPECT_TRUE(actions.Verify(L"C:\\sparito\\{N}.dll", RegistrationScope::Machine));
  EXPECT_EQ(registrar.actions, std::vector<Action>{Action::Register});
  EXPECT_EQ(boxes.Shown().back().text.find(L"Registrazione completa: "), 29u);
}

TEST(ClassesFile, OnlyTheClassesAreTakenAndOnlyAClasssOwnKeysRemoved) {
  const std::wstring header = L"Windows Registry Editor Version 5.00\r\n\r\n";
  const struct {
    std::wstring keys;
    std::size_t line;
  } outside[] = {
      {L"[HKEY_CLASSES_ROOT\\A]\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft]", 4},
      {L"[HKEY_CURRENT_USER\\Software\\ClassesX\\A]", 3},
      {L"[HKEY_USERS\\S-1\\Software\\Classes\\A]", 3},
  };
  for (const auto& c : outside) {
    auto file = ReadClassesFile(RegFileBytes(header + c.keys + L"\r\n"));
    ASSERT_TRUE(std::holds_alternative<RegFileError>(file)) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(std::get<RegFileError>(file).problem, RegFileProblem::OutsideClasses);
    EXPECT_EQ(std::get<RegFileError>(file).line, c.line);
  }
  // Readable for a restore, refused whole for a removal: a container, the merged root.
  inmemory::MemoryRegistry registry;
  RegistryKey key(registry);
  key.Create(kHkeyLocalMachine, L"Software\\Classes\\CLSID\\{A}", kKeyAllAccess);
  for (const std::wstring keys :
       {L"[HKLM\\Software\\Classes\\CLSID\\{A}]\r\n[HKLM\\Software\\Classes\\CLSID]",
        L"[HKLM\\Software\\Classes\\CLSID\\{A}]\r\n[HKCR\\Prog.Id]",
        L"[HKLM\\Software\\Classes\\CLSID\\{A}]\r\n[HKLM\\Software\\Classes\\.dll]"}) {
    auto file = ReadClassesFile(RegFileBytes(header + keys + L"\r\n"));
    ClassesDone done = RemoveClasses(std::get<ClassesFile>(file), ClassesPart::Machine, registry);
    ASSERT_TRUE(done.error.has_value());
    EXPECT_EQ(done.error->problem, RegFileProblem::OutsideClasses);
    EXPECT_EQ(done.error->line, 4u);
    EXPECT_EQ(key.Open(kHkeyLocalMachine, L"Software\\Classes\\CLSID\\{A}", kKeyRead), kRegSuccess);
  }
}

}  // namespace
}  // namespace corvalinde
