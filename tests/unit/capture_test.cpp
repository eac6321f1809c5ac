// Capture to a .reg file: the format's writer and reader on the in-memory registry, and the
// capture around a registrar that writes as a module would.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/command_line_run.h"
#include "registration/exit_codes.h"
#include "platform/files.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/inmemory/recording_dialogs.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "registration/capture_report.h"
#include "registration/capture_to_file.h"
#include "registration/reg_unreg_dialog.h"
#include "registration/verification_report.h"
#include "recording_results.h"
#include "registry/key_tree.h"
#include "test_support.h"
#include "registry/reg_file.h"
#include "scripted_registrar.h"

namespace corvalinde {
namespace {

using platform::kHkeyCurrentUser;
using Bytes = std::vector<std::uint8_t>;

void Set(platform::Registry& registry, const std::wstring& path, const std::wstring& name,
         std::uint32_t type, const Bytes& data, platform::RegKey root = kHkeyCurrentUser) {
  platform::RegistryKey key(registry);
  ASSERT_EQ(key.Create(root, path, platform::kKeyAllAccess), platform::kRegSuccess);
  ASSERT_EQ(registry.SetValue(key.get(), name, type, data.data(),
                              static_cast<std::uint32_t>(data.size())),
            platform::kRegSuccess);
}

std::wstring Written(platform::Registry& registry, const std::wstring& path) {
  return WriteRegFile(registry, {{kHkeyCurrentUser, path, L"HKEY_CURRENT_USER\\Copia"}}).text;
}

TEST(RegFile, EveryValueTypeRoundTripsByteForByte) {
  platform::inmemory::MemoryRegistry source;
  const std::wstring top = L"Software\\Sorgente";
  const std::wstring odd = top + L"\\Programmi \u00e8\u00f9 \u041f\u0440\u0438]";
  Bytes big(100 * 1024);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
  Set(source, top, L"", platform::kRegSz, platform::ToRegistryText(L""));
  Set(source, top, L"nome \"citato\" \\ e \u00e0", platform::kRegSz,
      platform::ToRegistryText(L"C:\\Dir \"x\"\\"));
  Set(source, top, L"espanso", platform::kRegExpandSz, platform::ToRegistryText(L"%SystemRoot%"));
  Set(source, top, L"multi", platform::kRegMultiSz, platform::ToRegistryText(L"a\0b\0"));
  Set(source, top, L"dword", platform::kRegDword, {0x78, 0x56, 0x34, 0x12});
  Set(source, top, L"qword", 11, {1, 2, 3, 4, 5, 6, 7, 8});
  Set(source, top, L"grande", platform::kRegBinary, big);
  Set(source, top, L"vuoto", platform::kRegBinary, {});
  Set(source, top, L"niente", platform::kRegNone, {});
  Set(source, top, L"dword corto", platform::kRegDword, {1, 2, 3});
  Set(source, top, L"testo senza NUL", platform::kRegSz, {'a', 0, 'b'});
  Set(source, top, L"righe", platform::kRegSz, platform::ToRegistryText(L"a\r\nb"));
  Set(source, top, L"tipo ignoto", 0x12345, {9});
  Set(source, odd, L"\u00e9", platform::kRegSz, platform::ToRegistryText(L"\u4e2d\u6587"));
  platform::RegKey empty = 0;
  ASSERT_EQ(source.CreateKey(kHkeyCurrentUser, top + L"\\vuota", platform::kKeyAllAccess, empty),
            platform::kRegSuccess);
  source.CloseKey(empty);

  const std::wstring text = Written(source, top);
  platform::inmemory::MemoryRegistry copy;
  RegFileRead read;
  ASSERT_FALSE(ReadRegFile(RegFileBytes(text), copy, &read).has_value());
  EXPECT_EQ(read.keys, 3u);
  EXPECT_EQ(read.values, 14u);
  EXPECT_EQ(Written(copy, L"Copia"), text);  // every value's type and bytes, every key
  platform::RegistryKey key(copy);
  ASSERT_EQ(key.Open(kHkeyCurrentUser, L"Copia", platform::kKeyRead), platform::kRegSuccess);
  Bytes back(big.size());
  std::uint32_t type = 0, size = static_cast<std::uint32_t>(back.size());
  ASSERT_EQ(copy.QueryValue(key.get(), L"grande", &type, back.data(), &size),
            platform::kRegSuccess);
  EXPECT_EQ(back, big);
}

TEST(RegFile, WritesWhatRegistryEditorWrites) {
  platform::inmemory::MemoryRegistry registry;
  Bytes thirty(30);
  for (std::size_t i = 0; i < thirty.size(); ++i) thirty[i] = static_cast<std::uint8_t>(i);
  Set(registry, L"S\\CLSID\\{1}", L"Bin", platform::kRegBinary, thirty);
  RegFileText file = WriteRegFile(registry, {{kHkeyCurrentUser, L"S", L"HKEY_CLASSES_ROOT"}});
  EXPECT_EQ(
      file.text,
      L"Windows Registry Editor Version 5.00\r\n\r\n"
      L"[HKEY_CLASSES_ROOT\\CLSID]\r\n\r\n"
      L"[HKEY_CLASSES_ROOT\\CLSID\\{1}]\r\n"
      L"\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
      L"  17,18,19,1a,1b,1c,1d\r\n\r\n");
  EXPECT_EQ(file.keys, 2u);
  EXPECT_EQ(file.values, 1u);
  EXPECT_EQ(RegFileValueLine(L"", platform::kRegSz, platform::ToRegistryText(L"a\"\\b")),
            L"@=\"a\\\"\\\\b\"");
  EXPECT_EQ(RegFileValueLine(L"n", platform::kRegDword, {0x2a, 0, 0, 0}), L"\"n\"=dword:0000002a");
  EXPECT_EQ(RegFileValueLine(L"q", 11, {1, 0, 0, 0, 0, 0, 0, 0}),
            L"\"q\"=hex(b):01,00,00,00,00,00,00,00");
  EXPECT_EQ(RegFileBytes(L"W").substr(0, 4), std::string("\xFF\xFEW\0", 4));
}

TEST(RegFile, AFileItCannotReadSaysWhereAndWhy) {
  const std::wstring header = L"Windows Registry Editor Version 5.00\r\n\r\n";
  const struct {
    std::wstring text;
    RegFileProblem problem;
    std::size_t line;
  } cases[] = {
      {L"REGEDIT4\r\n", RegFileProblem::NotRegFile, 1},
      {header + L"[HKEY_NOWHERE\\A]\r\n", RegFileProblem::UnknownRoot, 3},
      {header + L"\"v\"=dword:1\r\n", RegFileProblem::NoKey, 3},
      {header + L"[HKCU\\A]\r\n\"v\"=hex:1,zz\r\n", RegFileProblem::BadData, 4},
      {header + L"[HKCU\\A]\r\n\"v\"=dword:123456789\r\n", RegFileProblem::BadData, 4},
      {header + L"[HKCU\\A]\r\n\"v\"=hex:01,\\\r\n  02,\\\r\n  q\r\n", RegFileProblem::BadData, 4},
      {header + L"[-HKCU\\A]\r\n", RegFileProblem::Unsupported, 3},
      {header + L"[HKCU\\A]\r\nv=1\r\n", RegFileProblem::BadLine, 4},
  };
  for (const auto& c : cases) {
    platform::inmemory::MemoryRegistry registry;
    std::optional<RegFileError> error = ReadRegFile(RegFileBytes(c.text), registry);
    ASSERT_TRUE(error.has_value()) << ::testing::PrintToString(c.text);
    EXPECT_EQ(error->problem, c.problem) << ::testing::PrintToString(c.text);
    EXPECT_EQ(error->line, c.line) << ::testing::PrintToString(c.text);
  }
  platform::inmemory::MemoryRegistry registry;
  EXPECT_EQ(ReadRegFile("\xFF\xFE", registry)->problem, RegFileProblem::NotRegFile);
}

class Capture : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() /
        ("corvalinde capture " + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder_);
    registrar_.result.outcome = RegDone;
    // As a module would: a class under HKEY_CLASSES_ROOT and a setting under
    // HKEY_LOCAL_MACHINE, through the mapped roots.
    registrar_.whileCapturing = [this](const std::wstring& scratch) {
      Set(registry_, scratch + L"\\HKEY_CLASSES_ROOT\\CLSID\\{1}\\InProcServer32", L"",
          platform::kRegSz, platform::ToRegistryText(L"C:\\m.dll"));
      Set(registry_, scratch + L"\\HKEY_LOCAL_MACHINE\\Software\\Ditta", L"V", platform::kRegDword,
          {1, 0, 0, 0});
    };
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::wstring File(const std::wstring& name) { return (folder_ / name).wstring(); }
  bool ProgramKeyLeft() {
    platform::RegistryKey key(registry_);
    return key.Open(kHkeyCurrentUser, L"Software\\Corvalinde", platform::kKeyRead) ==
           platform::kRegSuccess;
  }

  std::filesystem::path folder_;
  platform::inmemory::MemoryRegistry registry_;
  testing::ScriptedRegistrar registrar_;
  platform::inmemory::RecordingMessageBoxes boxes_;
};

TEST_F(Capture, TheCommandLineWritesWhatTheModuleWroteUnderTheRealNamesAndCleansUp) {
  // A bare name, in the current folder: on Linux a path's "/" would end the switch's value.
  struct InFolder {
    std::filesystem::path previous = std::filesystem::current_path();
    ~InFolder() { std::filesystem::current_path(previous); }
  } inFolder;
  std::filesystem::current_path(folder_);
  const std::wstring regFile = L"m.reg";
  CommandLineRun run = RunCommandLine(L"/FILENAME m.dll /Capture " + regFile + L" /modal R",
                                      {registrar_, boxes_, true, nullptr, &registry_});
  EXPECT_EQ(run.exitCode, kExitSuccess);
  EXPECT_EQ(registrar_.captures, std::vector<std::wstring>{L"m.dll"});
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].text,
            L"Modulo : m.dll\r\nRegistrazione catturata in " + regFile + L" (5 chiavi, 2 valori)");
  EXPECT_EQ(boxes_.Shown()[0].icon, platform::MessageIcon::Information);
  std::optional<std::string> bytes = platform::ReadFileStart(File(regFile), 1 << 20);
  ASSERT_TRUE(bytes.has_value());
  platform::inmemory::MemoryRegistry imported;
  ASSERT_FALSE(ReadRegFile(*bytes, imported).has_value());
  platform::RegistryKey key(imported);
  EXPECT_EQ(key.Open(platform::kHkeyLocalMachine, L"Software\\Ditta", platform::kKeyRead),
            platform::kRegSuccess);
  EXPECT_EQ(key.Open(platform::kHkeyClassesRoot, L"CLSID\\{1}\\InProcServer32", platform::kKeyRead),
            platform::kRegSuccess);
  EXPECT_FALSE(ProgramKeyLeft());

  // Unregistering, "this user only" or a file of no known format: refused, nothing run.
  for (const std::wstring& refused :
       {L"/modal U /capture " + regFile, L"/modal R /user /capture " + regFile,
        std::wstring(L"/modal R /capture"), std::wstring(L"/modal R /capture m.txt")}) {
    boxes_ = {};
    run = RunCommandLine(L"/filename m.dll " + refused,
                         {registrar_, boxes_, true, nullptr, &registry_});
    EXPECT_EQ(run.exitCode, kExitInvalidParameters) << ::testing::PrintToString(refused);
  }
  // A server program registers from a process of its own: told so, and not even run.
  boxes_ = {};
  run = RunCommandLine(L"/filename Server.EXE /modal R /capture " + regFile,
                       {registrar_, boxes_, true, nullptr, &registry_});
  EXPECT_EQ(run.exitCode, kExitInvalidParameters);
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_NE(boxes_.Shown()[0].text.find(L"la cattura non può seguire"), std::wstring::npos);
  EXPECT_EQ(registrar_.captures.size(), 1u);
}

TEST_F(Capture, ATimeOutOrAFileThatCannotBeWrittenLeavesNoFileAndNoScratchKey) {
  registrar_.result.outcome = RegTimeout;
  CaptureResult late = CaptureToFile(registrar_, registry_, L"m.dll", File(L"late.reg"));
  EXPECT_EQ(late.registration.outcome, RegTimeout);
  EXPECT_FALSE(platform::FileExists(File(L"late.reg")));
  EXPECT_FALSE(ProgramKeyLeft());

  registrar_.result.outcome = RegDone;
  const std::wstring nowhere = (folder_ / "manca" / "m.reg").wstring();
  CaptureResult unwritten = CaptureToFile(registrar_, registry_, L"m.dll", nowhere);
  EXPECT_EQ(unwritten.registration.outcome, RegCaptureFileFailed);
  EXPECT_EQ(ExitCodeFor(unwritten.registration.outcome), kExitCaptureFailed);
  EXPECT_EQ(CaptureMessage(unwritten, L"m.dll")
                .text.rfind(L"Modulo : m.dll\r\nImpossibile scrivere il file " + nowhere, 0),
            0u);
  EXPECT_FALSE(ProgramKeyLeft());
}

// What the module wrote cannot be read whole (a link, too much): a clear failure, no file, no
// scratch key; and the scratch keys of a capture whose program died go at the next capture.
TEST_F(Capture, ALinkOrTooMuchWritesNothingAndAbandonedScratchKeysGo) {
  const std::wstring deadRun =
      std::wstring(kCaptureParentKey) + L"\\999999999.0123456789abcdef0123456789abcdef";
  Set(registry_, deadRun + L"\\HKEY_CLASSES_ROOT\\x", L"", platform::kRegSz,
      platform::ToRegistryText(L"left"));
  registrar_.whileCapturing = [this](const std::wstring& scratch) {
    Set(registry_, scratch + L"\\HKEY_CLASSES_ROOT\\CLSID\\{1}\\loop", L"SymbolicLinkValue",
        platform::kRegLink, platform::ToRegistryText(L"\\Registry\\Machine"));
  };
  CaptureResult linked = CaptureToFile(registrar_, registry_, L"m.dll", File(L"link.reg"));
  EXPECT_EQ(linked.registration.outcome, RegCaptureStopped);
  EXPECT_EQ(CaptureMessage(linked, L"m.dll").text,
            L"Modulo : m.dll\r\nLa registrazione ha creato un collegamento nel registro, che la "
            L"cattura non segue: HKEY_CLASSES_ROOT\\CLSID\\{1}\\loop\r\nNessun file scritto, il "
            L"registro non è stato modificato.");
  EXPECT_FALSE(platform::FileExists(File(L"link.reg")));
  EXPECT_FALSE(ProgramKeyLeft());  // the dead run's keys went too

  registrar_.whileCapturing = [this](const std::wstring& scratch) {
    const std::vector<std::uint8_t> megabyte(1 << 20, 0xAB);
    for (int i = 0; i < 24; ++i) {
      Set(registry_, scratch + L"\\HKEY_CLASSES_ROOT\\Grande", L"v" + std::to_wstring(i),
          platform::kRegBinary, megabyte);
    }
  };
  CaptureResult large = CaptureToFile(registrar_, registry_, L"m.dll", File(L"large.reg"));
  EXPECT_EQ(large.registration.stop, RegFileStop::TooLarge);
  EXPECT_EQ(ExitCodeFor(large.registration.outcome), kExitCaptureFailed);
  EXPECT_EQ(CaptureSummaryLine(large, L"m.dll"),
            L"Operazione non riuscita per m.dll: La registrazione ha scritto nel registro più di "
            L"64 MiB, oltre il limite della cattura: HKEY_CLASSES_ROOT\\Grande\r\n");
  EXPECT_FALSE(platform::FileExists(File(L"large.reg")));
  EXPECT_FALSE(ProgramKeyLeft());
}

// The sweep deletes only what a capture names there, and only where the path leads without a
// link: a Capture key made a link, or a key of another name, is not the program's to delete.
TEST_F(Capture, TheSweepTakesOnlyScratchKeysAndFollowsNoLink) {
  const std::wstring parent(kCaptureParentKey);
  const std::wstring dead = L"\\999999999.0123456789abcdef0123456789abcdef";
  Set(registry_, parent + L"\\Altro", L"", platform::kRegSz, platform::ToRegistryText(L"mio"));
  Set(registry_, parent + L"\\999999999.corto", L"", platform::kRegSz, {});
  Set(registry_, parent + dead, L"", platform::kRegSz, {});
  RemoveAbandonedCaptures(registry_);
  platform::RegistryKey key(registry_);
  EXPECT_EQ(key.Open(kHkeyCurrentUser, parent + dead, platform::kKeyRead), platform::kRegNotFound);
  EXPECT_EQ(key.Open(kHkeyCurrentUser, parent + L"\\Altro", platform::kKeyRead),
            platform::kRegSuccess);
  EXPECT_EQ(key.Open(kHkeyCurrentUser, parent + L"\\999999999.corto", platform::kKeyRead),
            platform::kRegSuccess);

  Set(registry_, parent + dead, L"", platform::kRegSz, {});
  Set(registry_, parent, L"SymbolicLinkValue", platform::kRegLink,
      platform::ToRegistryText(L"\\Registry\\User\\Altrove"));
  RemoveAbandonedCaptures(registry_);
  EXPECT_EQ(key.Open(kHkeyCurrentUser, parent + dead, platform::kKeyRead), platform::kRegSuccess);
}

// Values the system filled into the empty machine hive differ from the machine's own: left out
// and named; the classes are the module's own and always kept. A module that needs its own
// classes while registering is told why the capture fails.
TEST_F(Capture, MachineValuesItDidNotMeanToWriteAreLeftOutAndNamed) {
  const std::wstring crypto = L"Software\\Microsoft\\Cryptography";
  Set(registry_, crypto, L"MachineGuid", platform::kRegSz, platform::ToRegistryText(L"vera"),
      platform::kHkeyLocalMachine);
  Set(registry_, L"Software\\Classes\\CLSID\\{1}", L"", platform::kRegSz,
      platform::ToRegistryText(L"C:\\vecchio\\m.dll"), platform::kHkeyLocalMachine);
  registrar_.whileCapturing = [&](const std::wstring& scratch) {
    const std::wstring machine = scratch + L"\\HKEY_LOCAL_MACHINE\\";
    Set(registry_, machine + crypto, L"MachineGuid", platform::kRegSz,
        platform::ToRegistryText(L"nuova"));
    Set(registry_, machine + L"Software\\Classes\\CLSID\\{1}", L"", platform::kRegSz,
        platform::ToRegistryText(L"C:\\nuovo\\m.dll"));
    Set(registry_, machine + L"Software\\Ditta", L"V", platform::kRegDword, {1, 0, 0, 0});
  };
  CaptureResult capture = CaptureToFile(registrar_, registry_, L"m.dll", File(L"m.reg"));
  ASSERT_EQ(capture.registration.outcome, RegDone);
  EXPECT_EQ(capture.values, 2u);
  EXPECT_EQ(CaptureMessage(capture, L"m.dll").text,
            L"Modulo : m.dll\r\nRegistrazione catturata in " + File(L"m.reg") +
                L" (7 chiavi, 2 valori)\r\nEsclusi, già presenti con altro valore:\r\n  "
                L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Cryptography\\MachineGuid");

  registrar_.result.outcome = RegEntryFailed;
  registrar_.result.entryStatus = static_cast<std::int32_t>(0x80040154);
  capture = CaptureToFile(registrar_, registry_, L"quartz.dll", File(L"q.reg"));
  std::wstring text = CaptureMessage(capture, L"quartz.dll").text;
  EXPECT_EQ(text.substr(text.rfind(L"\r\n") + 2),
            L"Il modulo usa le proprie classi durante la registrazione: durante la cattura COM non "
            L"le trova. Registrarlo, poi ripetere la cattura.");
}

// What the machine holds already, with the same data: a .reg file keeps it and says so, a
// package leaves it out (its uninstall would take it from the machine) and says so. A key the
// registration created empty goes into the package, unless the machine holds it outside the
// classes, or holds something in it.
TEST_F(Capture, APackageCarriesNothingOfTheMachinesAndEveryKeyCreatedEmpty) {
  const std::wstring profiles = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  const std::wstring categories = L"Software\\Classes\\Component Categories\\{C}";
  const Bytes directory = platform::ToRegistryText(L"C:\\users");
  for (const std::wstring& path : {profiles, categories, std::wstring(L"Software\\Vuota"),
                                   std::wstring(L"Software\\Classes\\Piena\\Sotto")}) {
    Set(registry_, path, L"ProfilesDirectory", platform::kRegExpandSz, directory,
        platform::kHkeyLocalMachine);
  }
  platform::RegistryKey emptied(registry_);
  ASSERT_EQ(emptied.Open(platform::kHkeyLocalMachine, L"Software\\Vuota", platform::kKeyAllAccess),
            platform::kRegSuccess);
  ASSERT_EQ(registry_.DeleteValue(emptied.get(), L"ProfilesDirectory"), platform::kRegSuccess);
  registrar_.whileCapturing = [&](const std::wstring& scratch) {
    const std::wstring machine = scratch + L"\\HKEY_LOCAL_MACHINE\\";
    Set(registry_, machine + profiles, L"ProfilesDirectory", platform::kRegExpandSz, directory);
    Set(registry_, machine + categories, L"ProfilesDirectory", platform::kRegExpandSz, directory);
    Set(registry_, machine + L"Software\\Classes\\CLSID\\{1}", L"", platform::kRegSz,
        platform::ToRegistryText(L"m"));
    for (const wchar_t* empty : {L"Software\\Classes\\CLSID\\{1}\\Control", L"Software\\Vuota",
                                 L"Software\\Classes\\Piena"}) {
      platform::RegistryKey key(registry_);
      ASSERT_EQ(key.Create(kHkeyCurrentUser, machine + empty, platform::kKeyAllAccess),
                platform::kRegSuccess);
    }
  };
  const std::wstring onMachine =
      L"\r\n  HKEY_LOCAL_MACHINE\\" + categories +
      L"\\ProfilesDirectory\r\n  HKEY_LOCAL_MACHINE\\" + profiles +
      L"\\ProfilesDirectory\r\n  [HKEY_LOCAL_MACHINE\\Software\\Classes\\Piena]\r\n  "
      L"[HKEY_LOCAL_MACHINE\\Software\\Vuota]";
  CaptureResult reg = CaptureToFile(registrar_, registry_, L"m.dll", File(L"m.reg"));
  ASSERT_EQ(reg.registration.outcome, RegDone);
  EXPECT_EQ(reg.values, 3u);
  std::wstring text = CaptureMessage(reg, L"m.dll").text;
  EXPECT_EQ(text.substr(text.find(L"\r\n", text.find(L"valori)"))),
            L"\r\nGià presenti sulla macchina, con gli stessi dati:" + onMachine);

  CaptureResult wix = CaptureToFile(registrar_, registry_, L"m.dll", File(L"m.wxs"));
  EXPECT_EQ(wix.values, 1u);  // what the package carries
  text = CaptureMessage(wix, L"m.dll").text;
  EXPECT_EQ(text.substr(text.find(L"\r\n", text.find(L"valori)"))),
            L"\r\nEsclusi, già presenti sulla macchina:" + onMachine);
  std::optional<std::string> fragment = platform::ReadFileStart(File(L"m.wxs"), 1 << 20);
  ASSERT_TRUE(fragment.has_value());
  EXPECT_EQ(fragment->find("ProfilesDirectory"), std::string::npos) << *fragment;
  EXPECT_EQ(fragment->find("Vuota"), std::string::npos) << *fragment;
  EXPECT_EQ(fragment->find("Piena"), std::string::npos) << *fragment;
  EXPECT_NE(fragment->find("Key=\"Software\\Classes\\CLSID\\{1}\\Control\" Name=\"*\""),
            std::string::npos)
      << *fragment;
}

TEST_F(Capture, TheDialogAsksOnceAndNamesEachFileAfterItsModule) {
  platform::inmemory::RecordingDialogs dialogs;
  dialogs.fileAnswers = {File(L"scelto.reg")};
  RegUnregDialog dialog(registrar_, boxes_, dialogs, true, &registry_);
  dialog.capture = true;
  dialog.fileList = L"C:\\a\\uno.dll; C:\\b\\due.ocx;C:\\c\\DUE.dll;";
  dialog.Avvia();
  ASSERT_EQ(dialogs.saveFileRequests.size(), 1u);
  EXPECT_EQ(dialogs.saveFileRequests[0].fileName, L"uno.reg");
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  const std::wstring line = L" (5 chiavi, 2 valori)\r\n";
  EXPECT_EQ(boxes_.Shown()[0].text,
            L"Cattura di C:\\a\\uno.dll scritta in " + File(L"scelto.reg") + line +
                L"Cattura di C:\\b\\due.ocx scritta in " + File(L"due.reg") + line +
                L"Cattura di C:\\c\\DUE.dll scritta in " + File(L"DUE (2).reg") + line);
  EXPECT_TRUE(platform::FileExists(File(L"DUE (2).reg")));
  EXPECT_FALSE(ProgramKeyLeft());

  // The first file's format is every file's.
  dialogs.fileAnswers = {File(L"scelto.wxs")};
  boxes_ = {};
  dialog.Avvia();
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_NE(boxes_.Shown()[0].text.find(File(L"DUE (2).wxs") + line), std::wstring::npos);
  EXPECT_EQ(platform::ReadFileStart(File(L"due.wxs"), 5), std::optional<std::string>("<?xml"));
}

// What the sample module writes: a class, its server with a threading model, its ProgID.
void WriteClass(platform::Registry& registry, platform::RegKey root, const std::wstring& classes,
                const std::wstring& server = L"C:\\Moduli\\m.dll") {
  auto text = [](const wchar_t* words) { return platform::ToRegistryText(words); };
  const std::wstring clsid = classes + L"\\CLSID\\{1}";
  Set(registry, clsid, L"", platform::kRegSz, text(L"Classe"), root);
  Set(registry, clsid + L"\\InprocServer32", L"", platform::kRegSz,
      platform::ToRegistryText(server), root);
  Set(registry, clsid + L"\\InprocServer32", L"ThreadingModel", platform::kRegSz, text(L"Both"),
      root);
  Set(registry, classes + L"\\M.Prog\\CLSID", L"", platform::kRegSz, text(L"{1}"), root);
}

class Verify : public Capture {
 protected:
  void SetUp() override {
    Capture::SetUp();
    registrar_.whileCapturing = [this](const std::wstring& scratch) {
      WriteClass(registry_, kHkeyCurrentUser, scratch + L"\\HKEY_CLASSES_ROOT");
    };
    platform::RegistryKey clsid(registry_);  // every machine has it
    clsid.Create(platform::kHkeyLocalMachine, L"Software\\Classes\\CLSID", platform::kKeyAllAccess);
  }
  int Run(const std::wstring& more = {}, const std::wstring& module = L"m.dll") {
    boxes_ = {};
    return RunCommandLine(L"/filename " + module + L" /verify" + more,
                          {registrar_, boxes_, true, nullptr, &registry_})
        .exitCode;
  }
  std::wstring Said() const { return boxes_.Shown().empty() ? L"" : boxes_.Shown().back().text; }

  const std::wstring machine_ = L"HKEY_LOCAL_MACHINE\\Software\\Classes\\";
  const std::wstring server_ = machine_ + L"CLSID\\{1}\\InprocServer32";
  const std::wstring only64_ =
      L"\r\nRegistrato per i programmi a 64 bit: un programma a 32 bit non troverà queste classi.";
};

// Never registered, registered, registered with letter case of its own, half registered from
// another folder: each said as it is, reading only.
TEST_F(Verify, TheRegistrationIsComparedWithWhatTheModuleWrites) {
  EXPECT_EQ(Run(), kExitRegistrationDiffers);
  EXPECT_EQ(Said(), L"Modulo : m.dll\r\nRegistrazione incompleta o diversa:\r\nManca la chiave: " +
                        machine_ + L"CLSID\\{1}\r\nManca la chiave: " + machine_ + L"M.Prog");
  EXPECT_FALSE(ProgramKeyLeft());

  WriteClass(registry_, platform::kHkeyLocalMachine, L"Software\\Classes", L"c:\\MODULI\\M.DLL");
  EXPECT_EQ(Run(), kExitSuccess);
  EXPECT_EQ(Said(),
            L"Modulo : m.dll\r\nRegistrazione completa: 5 chiavi e 4 valori come li scrive "
            L"il modulo." +
                only64_);
  EXPECT_EQ(boxes_.Shown().back().title, L"Verifica registrazione");

  WriteClass(registry_, platform::kHkeyLocalMachine, L"Software\\Classes", L"C:\\Vecchio\\m.dll");
  platform::RegistryKey server(registry_);
  ASSERT_EQ(server.Open(platform::kHkeyLocalMachine,
                        L"Software\\Classes\\CLSID\\{1}\\InprocServer32", platform::kKeyAllAccess),
            platform::kRegSuccess);
  registry_.DeleteValue(server.get(), L"ThreadingModel");
  EXPECT_EQ(Run(), kExitRegistrationDiffers);
  EXPECT_EQ(Said(),
            L"Modulo : m.dll\r\nRegistrazione incompleta o diversa:\r\nValore diverso: " + server_ +
                L" @: trovato \"C:\\Vecchio\\m.dll\", atteso \"C:\\Moduli\\m.dll\"\r\n"
                L"Manca il valore: " +
                server_ + L" ThreadingModel\r\nAl suo posto è registrato: C:\\Vecchio\\m.dll" +
                only64_);
  // The dialog lists what it found.
  platform::inmemory::RecordingDialogs dialogs;
  testing::RecordingResults results;
  RegUnregDialog dialog(registrar_, boxes_, dialogs, true, &registry_);
  dialog.SetLongResults(&results, 40);
  dialog.verify = true;
  dialog.fileList = L"m.dll";
  dialog.Avvia();
  ASSERT_EQ(results.rows.size(), 5u);  // the file's, two findings, the file in its place, the view
  EXPECT_EQ(results.rows[0].outcome, L"incompleta");
  EXPECT_EQ(results.rows[0].detail, L"Verifica di m.dll: incompleta o diversa, differenze: 2");
  EXPECT_EQ(results.rows[2].detail, L"Manca il valore: " + server_ + L" ThreadingModel");
  // Nothing was written, anywhere.
  EXPECT_FALSE(ProgramKeyLeft());
  platform::RegistryKey user(registry_);
  EXPECT_EQ(user.Open(kHkeyCurrentUser, L"Software\\Classes\\CLSID", platform::kKeyRead),
            platform::kRegNotFound);
}

// For this user only: the user's classes, and nothing of the machine's; a capture that fails is
// said as it would be; what verifying cannot take is refused.
TEST_F(Verify, TheScopeAskedIsTheOneComparedAndFailuresAreACapturesOwn) {
  WriteClass(registry_, platform::kHkeyLocalMachine, L"Software\\Classes");
  EXPECT_EQ(Run(L" /user"), kExitRegistrationDiffers);
  EXPECT_NE(Said().find(L"\r\nManca la chiave: HKEY_CURRENT_USER\\Software\\Classes\\CLSID\r\n"),
            std::wstring::npos)
      << ::testing::PrintToString(Said());
  WriteClass(registry_, kHkeyCurrentUser, L"Software\\Classes");
  EXPECT_EQ(Run(L" /user"), kExitSuccess);

  registrar_.result.outcome = RegEntryFailed;
  registrar_.result.entryStatus = static_cast<std::int32_t>(0x80004005);
  EXPECT_EQ(Run(), kExitEntryPointFailed);
  EXPECT_EQ(Said().rfind(L"Modulo : m.dll\r\nOperazione non riuscita (codice 0x80004005)", 0), 0u);
  EXPECT_EQ(Run({}, L"s.exe"), kExitInvalidParameters);
  for (const wchar_t* refused : {L" /modal R", L" /capture m.reg"}) {
    EXPECT_EQ(Run(refused), kExitInvalidParameters) << ::testing::PrintToString(refused);
  }
  EXPECT_EQ(registrar_.captures.size(), 3u);
}

// A 32-bit module's classes are where 32-bit programs look, and the report says who finds them.
TEST_F(Verify, AThirtyTwoBitModuleIsComparedInTheThirtyTwoBitView) {
  std::wstring module = testing::TestModulePath("testmod_arch_i686");
  module = module.substr(0, module.find_last_of(L'.')) + L".dll";
  WriteClass(registry_, platform::kHkeyLocalMachine, L"Software\\Classes\\WOW6432Node");
  // Its ProgID is shared by both views.
  WriteClass(registry_, platform::kHkeyLocalMachine, L"Software\\Classes");
  platform::RegistryKey clsid(registry_);
  ASSERT_EQ(
      clsid.Open(platform::kHkeyLocalMachine, L"Software\\Classes\\CLSID", platform::kKeyAllAccess),
      platform::kRegSuccess);
  ASSERT_EQ(DeleteKeyTree(registry_, clsid.get(), L"{1}"), platform::kRegSuccess);
  platform::inmemory::RecordingDialogs dialogs;
  RegUnregDialog dialog(registrar_, boxes_, dialogs, true, &registry_);
  dialog.verify = true;
  dialog.fileList = module;
  dialog.Avvia();
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].text, L"Verifica di " + module + L": completa\r\n");
  Verification verification =
      VerifyModule(registrar_, registry_, module, RegistrationScope::Machine);
  EXPECT_EQ(verification.views, ClassViews::Only32);
  EXPECT_NE(VerifyMessage(verification, module)
                .text.find(L"\r\nRegistrato per i programmi a 32 bit: un programma a 64 bit non "
                           L"troverà queste classi."),
            std::wstring::npos);
}

}  // namespace
}  // namespace corvalinde
