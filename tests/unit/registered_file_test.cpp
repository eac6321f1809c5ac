#include "browser/registered_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>

#include "common/letter_case.h"

namespace corvalinde {
namespace {

using Found = platform::FileLookup::Found;

// A machine whose system folder, Windows folder and PATH are not the current folder (C:\Here,
// which holds here.dll: the browser never looks there). C:\Locked refuses to be read, the
// share \\server answers with a network error, \\slow never answers, and there is no E:.
struct FakeMachine {
  std::map<std::wstring, Found> entries{
      {L"C:\\", Found::Folder},
      {L"C:\\WINDOWS\\SYSTEM32\\OLE32.DLL", Found::File},
      {L"C:\\WINDOWS\\SYSTEM32\\MSCOREE.DLL", Found::File},
      {L"C:\\WINDOWS\\NOTEPAD.EXE", Found::File},
      {L"C:\\TOOLS\\TOOL.EXE", Found::File},
      {L"C:\\PROGRAM FILES\\APP\\SERVER.EXE", Found::File},
      {L"C:\\PROGRAM FILES\\APP\\MODULE.DLL", Found::File},
      {L"C:\\HERE\\HERE.DLL", Found::File},
  };
  struct Slow {
    std::mutex guard;
    std::condition_variable released;
    bool open = false;
    std::atomic<int> asked{0}, ended{0};
  };
  std::shared_ptr<Slow> slow = std::make_shared<Slow>();

  FileSearch Search() {
    FileSearch search;
    search.lookUp = [entries = entries, slow = slow](const std::wstring& path) {
      const std::wstring upper = ToUpperText(path);
      if (upper.rfind(L"C:\\LOCKED\\", 0) == 0) return platform::FileLookup{Found::Failed, 5};
      if (upper.rfind(L"\\\\SERVER\\", 0) == 0) return platform::FileLookup{Found::Failed, 53};
      if (upper.rfind(L"\\\\SLOW\\", 0) == 0) {
        ++slow->asked;
        std::unique_lock lock(slow->guard);
        slow->released.wait(lock, [&] { return slow->open; });
        ++slow->ended;
        return platform::FileLookup{};
      }
      auto at = entries.find(upper);
      return at == entries.end() ? platform::FileLookup{} : platform::FileLookup{at->second};
    };
    search.expand = [](const std::wstring& text) {
      const std::wstring variable = L"%SystemRoot%";
      std::wstring expanded = text;
      for (std::size_t at; (at = expanded.find(variable)) != std::wstring::npos;) {
        expanded.replace(at, variable.size(), L"C:\\Windows");
      }
      return expanded;
    };
    search.folders = {L"C:\\Windows\\System32", L"C:\\Windows", L"C:\\Tools"};
    search.isNetwork = [](const std::wstring& path) { return path.rfind(L"\\\\", 0) == 0; };
    search.networkBound = std::chrono::milliseconds(20);
    return search;
  }

  ~FakeMachine() {
    {
      std::lock_guard lock(slow->guard);
      slow->open = true;
    }
    slow->released.notify_all();
    while (slow->ended < slow->asked) std::this_thread::yield();
  }
};

TEST(RegisteredFile, MissingOnlyWhereTheSystemWouldLookAndSaysSo) {
  FakeMachine machine;
  RegisteredFiles files(machine.Search());
  const struct {
    ClassServers servers;
    FileState state;
    std::wstring path;
    std::uint32_t error = 0;
  } cases[] = {
      // Bare names: the system folder, the Windows folder, the PATH; ".dll" or ".exe" added.
      {{L"ole32.dll"}, FileState::Present, L"C:\\Windows\\System32\\ole32.dll"},
      {{L" \"ole32\" "}, FileState::Present, L"C:\\Windows\\System32\\ole32.dll"},
      {{L"MSCOREE.DLL"}, FileState::Present, L"C:\\Windows\\System32\\MSCOREE.DLL"},
      {{L"here.dll"}, FileState::Missing, L"here.dll"},
      {{L"", L"notepad.exe /x"}, FileState::Present, L"C:\\Windows\\notepad.exe"},
      {{L"", L"tool /automation"}, FileState::Present, L"C:\\Tools\\tool.exe"},
      // Paths: as written, with variables expanded (also in a plain REG_SZ).
      {{L"%SystemRoot%\\System32\\ole32.dll"},
       FileState::Present,
       L"C:\\Windows\\System32\\ole32.dll"},
      {{L"C:\\Program Files\\App\\module"},
       FileState::Present,
       L"C:\\Program Files\\App\\module.dll"},
      {{L"C:\\Program Files\\App\\gone.dll"},
       FileState::Missing,
       L"C:\\Program Files\\App\\gone.dll"},
      {{L"", L"C:\\Program Files\\App\\server -Embedding"},
       FileState::Present,
       L"C:\\Program Files\\App\\server.exe"},
      {{L"", L"\"C:\\Program Files\\App\\server.exe\" /a"},
       FileState::Present,
       L"C:\\Program Files\\App\\server.exe"},
      {{L"", L"C:\\Old Place\\gone.EXE /x"}, FileState::Missing, L"C:\\Old Place\\gone.EXE"},
      // What cannot be told is never missing.
      {{L"%Undefined%\\x.dll"}, FileState::Unverifiable, L"%Undefined%\\x.dll", 203},
      {{L"C:\\Locked\\x.dll"}, FileState::Unverifiable, L"C:\\Locked\\x.dll", 5},
      {{L"\\\\server\\share\\x.dll"}, FileState::Unverifiable, L"\\\\server\\share\\x.dll", 53},
      {{L"E:\\gone\\x.dll"}, FileState::Unverifiable, L"E:\\gone\\x.dll", 3},
      // A class is gone only when every server it names is.
      {{L"C:\\gone\\m.dll", L"notepad.exe"}, FileState::Present, L"C:\\Windows\\notepad.exe"},
      {{L"C:\\gone\\m.dll", L"C:\\gone\\s.exe"}, FileState::Missing, L"C:\\gone\\m.dll"},
      {{L"C:\\gone\\m.dll", L"C:\\Locked\\s.exe"},
       FileState::Unverifiable,
       L"C:\\Locked\\s.exe",
       5},
      {{L" ", L""}, FileState::None, L""},
  };
  for (const auto& c : cases) {
    for (int again = 0; again < 2; ++again) {  // the second answer is the one remembered
      FileVerdict verdict = files.Check(c.servers);
      EXPECT_EQ(verdict.state, c.state)
          << ::testing::PrintToString(c.servers.module + L"|" + c.servers.commandLine);
      EXPECT_EQ(ToUpperText(verdict.path), ToUpperText(c.path));
      EXPECT_EQ(verdict.error, c.error) << ::testing::PrintToString(c.path);
    }
  }
  EXPECT_EQ(FileStatusText({FileState::Missing, L"x.dll"}), L"file mancante");
  EXPECT_EQ(FileStatusText({FileState::Unverifiable, L"x.dll", 5}).rfind(L"non verificabile: ", 0),
            0u);
}

TEST(RegisteredFile, AServerThatDoesNotAnswerIsAskedOnceAndHoldsNothing) {
  FakeMachine machine;
  RegisteredFiles files(machine.Search());
  FileVerdict first = files.CheckModule(L"\\\\slow\\share\\a.dll");
  EXPECT_EQ(first.state, FileState::Unverifiable);
  EXPECT_EQ(first.error, 1460u);  // ERROR_TIMEOUT
  EXPECT_EQ(files.CheckModule(L"\\\\SLOW\\other\\b.dll").state, FileState::Unverifiable);
  EXPECT_EQ(machine.slow->asked, 1);
  EXPECT_EQ(files.CheckModule(L"ole32.dll").state, FileState::Present);
}

}  // namespace
}  // namespace corvalinde
