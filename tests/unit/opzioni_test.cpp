#include "options/opzioni.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "app/tray_mode.h"
#include "app/uninstall.h"
#include "common/letter_case.h"
#include "options/options_dialog.h"
#include "options/reg_func.h"
#include "options/shell_verbs.h"
#include "platform/files.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/inmemory/recording_tray_shell.h"
#include "platform/process.h"
#include "platform/registry_key.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#include "platform/utf8.h"
#endif

namespace corvalinde {
namespace {

std::string Padded(const std::string& text) {
  return text + std::string(50 - text.size(), ' ');
}

std::string Record(const std::string& field) {
  std::string record = field;
  record.resize(128, '\0');
  return record;
}

// A folder of its own for each test, beside the test program, removed afterwards.
class OptionsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = platform::ExecutableFolder() + Separator() + L"opz-" +
              Wide(::testing::UnitTest::GetInstance()->current_test_info()->name());
    MakeFolder(folder_);
    path_ = folder_ + Separator() + L"opz.dat";
    Remove(path_);
  }
  void TearDown() override {
    Remove(path_);
    Remove(folder_ + Separator() + L".read-only");
    RemoveFolder(folder_);
  }

  // Until destroyed, the file cannot be replaced nor written: on Windows it is held open sharing
  // only reading (as a backup program or a scanner may hold it); in the portable layer
  // the folder is marked read-only (see files.h).
  class SaveBlock {
   public:
    explicit SaveBlock(const std::wstring& path) {
#ifdef _WIN32
      held_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                          nullptr);
#else
      marker_ = path.substr(0, path.rfind(L'/')) + L"/.read-only";
      std::ofstream(Native(marker_)) << "";
#endif
    }
    ~SaveBlock() {
#ifdef _WIN32
      CloseHandle(held_);
#else
      Remove(marker_);
#endif
    }

   private:
#ifdef _WIN32
    HANDLE held_ = INVALID_HANDLE_VALUE;
#else
    std::wstring marker_;
#endif
  };

  static std::wstring Separator() {
#ifdef _WIN32
    return L"\\";
#else
    return L"/";
#endif
  }
  static std::wstring Wide(const std::string& text) {
    return {text.begin(), text.end()};
  }
  static std::string Native(const std::wstring& path) {
#ifdef _WIN32
    return std::string(path.begin(), path.end());
#else
    return platform::Utf8(path);
#endif
  }
  static void MakeFolder(const std::wstring& path) {
#ifdef _WIN32
    CreateDirectoryW(path.c_str(), nullptr);
#else
    mkdir(Native(path).c_str(), 0755);
#endif
  }
  static void RemoveFolder(const std::wstring& path) {
#ifdef _WIN32
    RemoveDirectoryW(path.c_str());
#else
    rmdir(Native(path).c_str());
#endif
  }
  static void Remove(const std::wstring& path) {
    std::remove(Native(path).c_str());
  }

  void Write(const std::string& bytes) {
    std::ofstream(Native(path_), std::ios::binary) << bytes;
  }
  std::string Read() {
    std::ifstream in(Native(path_), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::wstring folder_, path_;
};

TEST_F(OptionsFile, NoFileGivesTheDefaultsAndWritesNothing) {
  Opzioni record;
  EXPECT_TRUE(LoadOpz(path_, record));
  EXPECT_EQ(record.Associa, -1);
  EXPECT_EQ(record.WinStart, 0);
  EXPECT_EQ(record.NumExt, 2);
  ASSERT_EQ(record.Ext.size(), 2u);
  EXPECT_EQ(TrimmedExtension(record.Ext[0]), L"DLL");
  EXPECT_EQ(TrimmedExtension(record.Ext[1]), L"OCX");
  EXPECT_FALSE(platform::FileExists(path_));
}

TEST_F(OptionsFile, TheDefaultsSaveAsTheWorkedExample) {
  ASSERT_TRUE(SaveOpz(path_, DefaultOpzioni()));
  std::string expected = Record("\xFF\xFF") + Record(std::string(2, '\0')) +
                         Record(std::string("\x02\x00", 2)) + Record(Padded("DLL")) +
                         Record(Padded("OCX"));
  ASSERT_EQ(expected.size(), 640u);
  EXPECT_EQ(Read(), expected);
}

TEST_F(OptionsFile, ARecordRoundTripsWithOddFlagsAndNamesAsStored) {
  Opzioni record;
  record.Associa = 7;
  record.WinStart = -1;
  record.Ext = {FixedExtension(L"ocx"), FixedExtension(L".xyz"), FixedExtension(L" A B")};
  record.NumExt = 3;
  ASSERT_TRUE(SaveOpz(path_, record));
  EXPECT_EQ(Read().size(), 6u * 128);
  Opzioni loaded;
  ASSERT_TRUE(LoadOpz(path_, loaded));
  EXPECT_EQ(loaded.Associa, 7);
  EXPECT_EQ(loaded.WinStart, -1);
  EXPECT_EQ(loaded.NumExt, 3);
  EXPECT_EQ(loaded.Ext, record.Ext);
}

// A crafted file must not name registry paths: only extension names are kept, and the load
// says the file was damaged.
TEST_F(OptionsFile, NamesThatAreNotExtensionsAreLeftOut) {
  std::string names[] = {std::string("exefile\\shell\\open\\command\0", 26) + std::string(24, 'x'),
                         Padded("TXT\\shell"),
                         Padded("DLL"),
                         Padded("pi\xF9"),
                         Padded(""),
                         Padded("a\tb"),
                         Padded("OCX")};
  std::string file =
      Record("\xFF\xFF") + Record(std::string(2, '\0')) + Record(std::string("\x07\x00", 2));
  for (const std::string& name : names) file += Record(name);
  Write(file);
  Opzioni loaded;
  EXPECT_FALSE(LoadOpz(path_, loaded));
  EXPECT_EQ(loaded.Associa, -1);
  EXPECT_EQ(loaded.Ext,
            (std::vector<std::wstring>{FixedExtension(L"DLL"), FixedExtension(L"OCX")}));
  EXPECT_EQ(loaded.NumExt, 2);
}

TEST_F(OptionsFile, SavingOverALongerFileLeavesNoTrace) {
  Write(std::string(4096, 'x'));
  Opzioni empty = DefaultOpzioni();
  empty.Ext.clear();
  empty.NumExt = 0;
  ASSERT_TRUE(SaveOpz(path_, empty));
  EXPECT_EQ(Read().size(), 384u);
  Opzioni loaded = DefaultOpzioni();
  EXPECT_TRUE(LoadOpz(path_, loaded));
  EXPECT_TRUE(loaded.Ext.empty());
}

TEST_F(OptionsFile, ANegativeCountKeepsTheListAndFails) {
  Write(Record("\x00\x00") + Record("\xFF\xFF") + Record("\xFE\xFF") + Record(Padded("XYZ")));
  Opzioni record = DefaultOpzioni();
  EXPECT_FALSE(LoadOpz(path_, record));
  EXPECT_EQ(record.Associa, 0);
  EXPECT_EQ(record.WinStart, -1);
  EXPECT_EQ(record.NumExt, 2);
  EXPECT_EQ(record.Ext, DefaultOpzioni().Ext);
}

TEST_F(OptionsFile, AShortFileLoadsTheWholeEntriesAndFails) {
  // The count promises 32767 entries; two are there, the last one short of its filler only.
  std::string bytes = Record("\xFF\xFF") + Record(std::string(2, '\0')) + Record("\xFF\x7F") +
                      Record(Padded("DLL")) + Padded("OCX") + "OC";
  Write(bytes);
  Opzioni record;
  EXPECT_FALSE(LoadOpz(path_, record));
  EXPECT_EQ(record.NumExt, 2);
  ASSERT_EQ(record.Ext.size(), 2u);
  EXPECT_EQ(TrimmedExtension(record.Ext[1]), L"OCX");
  // What was loaded can always be written back.
  ASSERT_TRUE(SaveOpz(path_, record));
  EXPECT_EQ(Read().size(), 5u * 128);

  Write("");
  Opzioni untouched = DefaultOpzioni();
  EXPECT_FALSE(LoadOpz(path_, untouched));
  EXPECT_EQ(untouched.Ext, DefaultOpzioni().Ext);
}

TEST_F(OptionsFile, AFailedSaveLeavesThePreviousFileWhole) {
  ASSERT_TRUE(SaveOpz(path_, DefaultOpzioni()));
  std::string before = Read();
  SaveBlock blocked(path_);
  Opzioni changed = DefaultOpzioni();
  changed.Ext.push_back(FixedExtension(L"XYZ"));
  changed.NumExt = 3;
  EXPECT_FALSE(SaveOpz(path_, changed));
  EXPECT_EQ(Read(), before);
}

// The tray's start and end over a real settings file.
class TrayLife : public OptionsFile {
 protected:
  bool VerbExists(const std::wstring& fileClass) {
    platform::RegistryKey key(registry_);
    return key.Open(platform::kHkeyClassesRoot, fileClass + L"\\shell\\Registra\\command",
                    platform::kKeyQueryValue) == platform::kRegSuccess;
  }
  // The tray's start and end, the settings where LocateSettings puts them (the user's folder
  // beside the program's).
  bool Start() {
    file_ = LocateSettings(folder_, UserFolder());
    return StartTrayMode(settings_, file_, registry_, tray_, icon_, owner_, folder_);
  }
  void Exit() { PrepareExit(tray_, settings_, file_, &boxes_); }
  std::wstring UserFolder() { return folder_ + Separator() + L"utente"; }
  std::wstring UserCopy() {
    return UserFolder() + Separator() + L"Corvalinde" + Separator() + L"opz.dat";
  }

  SettingsFile file_;

  struct Owner final : TrayOwner {
    std::uintptr_t hWnd() const override { return 1; }
  } owner_;
  TrayPicture icon_{7};
  platform::inmemory::RecordingTrayShell shell_;
  CSysTray tray_{shell_};
  platform::inmemory::MemoryRegistry registry_;
  platform::inmemory::RecordingMessageBoxes boxes_;
  Opzioni settings_;
};

TEST_F(TrayLife, AnUntickedAssociationRemovesTheVerbsAndADamagedFileIsKept) {
  CreateShellVerbs(registry_, {FixedExtension(L"DLL")}, L"C:\\vecchio\\Corvalinde.exe");
  std::string damaged = Record(std::string(2, '\0')) + Record(std::string(2, '\0')) +
                        Record(std::string("\x02\x00", 2)) + Record(Padded("DLL")) +
                        Record(Padded("TXT\\shell"));
  Write(damaged);
  EXPECT_FALSE(Start());
  EXPECT_FALSE(VerbExists(L"dllfile"));  // removed, and not written again
  EXPECT_FALSE(VerbExists(L"txt\\shellfile"));
  // The damaged file cannot be kept (its backup cannot be replaced): it is not replaced either.
  std::ofstream(Native(path_ + L".bak")) << "older";
  {
    SaveBlock backup(path_ + L".bak");
    Exit();
  }
  EXPECT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(Read(), damaged);
  boxes_ = {};
  Exit();
  EXPECT_TRUE(boxes_.Shown().empty());
  std::ifstream kept(Native(path_ + L".bak"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), damaged);
  EXPECT_EQ(Read().size(), 4u * 128);  // the record as loaded: DLL only
  Remove(path_ + L".bak");

  settings_.Associa = -1;
  Exit();
  EXPECT_TRUE(Start());
  EXPECT_TRUE(VerbExists(L"dllfile"));
}

TEST_F(TrayLife, AFailedSaveSaysWhereAndOffersToTryAgain) {
  ASSERT_TRUE(SaveOpz(path_, DefaultOpzioni()));
  std::string before = Read();
  ASSERT_TRUE(Start());
  SaveBlock blocked(path_);
  settings_.WinStart = -1;
  boxes_.QueueAnswer(platform::MessageAnswer::Retry);
  Exit();  // tried, asked, tried again, asked, given up
  ASSERT_EQ(boxes_.Shown().size(), 2u);
  EXPECT_EQ(boxes_.Shown()[0].text.rfind(L"Impossibile salvare le opzioni in " + path_, 0), 0u);
  EXPECT_EQ(boxes_.Shown()[0].buttons, platform::MessageButtons::RetryCancel);
  EXPECT_EQ(Read(), before);
}

// A standard user's Program Files: the program's folder takes no new file. The settings go to
// the user's own copy, silently, and are read back from there; an unchanged run writes nothing.
TEST_F(TrayLife, AFolderThatTakesNoFileKeepsTheSettingsInTheUsersOwnCopy) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine runs as root and lets every folder take new files: the decision is the "
                  "portable code's, tested natively";
#endif
  ASSERT_TRUE(SaveOpz(path_, DefaultOpzioni()));
  const std::string before = Read();
  MakeFolder(UserFolder());
  {
    SaveBlock programFolder(path_);
    ASSERT_TRUE(Start());
    settings_.Associa = 0;
    Exit();
    EXPECT_TRUE(boxes_.Shown().empty());
    EXPECT_EQ(Read(), before);
    ASSERT_TRUE(Start());
    EXPECT_EQ(file_.readFrom, UserCopy());
    EXPECT_EQ(settings_.Associa, 0);
    // Nothing changed: a save would meet a folder that takes nothing and say so.
    SaveBlock userFolder(UserCopy());
    Exit();
    EXPECT_TRUE(boxes_.Shown().empty());
  }
  Remove(UserCopy());
  RemoveFolder(UserFolder() + Separator() + L"Corvalinde");
  RemoveFolder(UserFolder());
}

// The installer's removal, after a tray of this folder: its verbs (whichever settings named the
// extension) and its start-up entry go, with the folder's settings; a copy elsewhere keeps its
// own, and the user's settings stay.
TEST_F(TrayLife, TheInstallersRemovalTakesThisProgramsTracesOnly) {
  const std::wstring program = ProgramPath(folder_);
  Opzioni settings = DefaultOpzioni();  // DLL and OCX
  settings.Associa = -1;
  ASSERT_TRUE(SaveOpz(path_, settings));
  ASSERT_TRUE(Start());
  MakeFolder(UserFolder());
  MakeFolder(UserFolder() + Separator() + L"Corvalinde");
  settings.Ext = {FixedExtension(L"CVPROVA")};
  settings.NumExt = 1;
  ASSERT_TRUE(SaveOpz(UserCopy(), settings));
  CreateShellVerbs(registry_, {FixedExtension(L"CVPROVA")}, program);
  CreateShellVerbs(registry_, {FixedExtension(L"OCX")}, L"C:\\portatile\\Corvalinde.exe");
  // The start-up entry as another tool may have written it: a variable, other letter case.
  registry_.DefineEnvironmentVariable(L"CVCARTELLA", ToUpperText(folder_));
  RegWriteString(registry_, platform::kHkeyCurrentUser, kRunKey, kRunValue,
                 L"\"%CVCARTELLA%\\corvalinde.exe\" /visible 1");
  RegWriteString(registry_, platform::kHkeyLocalMachine, kRunKey, kRunValue,
                 L"\"C:\\portatile\\Corvalinde.exe\"");

  RemoveProgramTraces(registry_, folder_, UserFolder());
  EXPECT_FALSE(VerbExists(L"dllfile"));
  EXPECT_FALSE(VerbExists(L"cvprovafile"));
  EXPECT_TRUE(VerbExists(L"ocxfile"));
  EXPECT_FALSE(RegReadString(registry_, platform::kHkeyCurrentUser, kRunKey, kRunValue));
  EXPECT_TRUE(RegReadString(registry_, platform::kHkeyLocalMachine, kRunKey, kRunValue));
  EXPECT_FALSE(platform::FileExists(path_));
  EXPECT_TRUE(platform::FileExists(UserCopy()));
  Remove(UserCopy());
  RemoveFolder(UserFolder() + Separator() + L"Corvalinde");
  RemoveFolder(UserFolder());
}

TEST(OptionsRecord, ExtensionsArePaddedOrCutToFifty) {
  EXPECT_EQ(FixedExtension(L"DLL"), L"DLL" + std::wstring(47, L' '));
  EXPECT_EQ(FixedExtension(std::wstring(60, L'A')), std::wstring(50, L'A'));
  EXPECT_EQ(TrimmedExtension(L"  O cx  "), L"O cx");
  EXPECT_EQ(TrimmedExtension(L"    "), L"");
}

}  // namespace
}  // namespace corvalinde
