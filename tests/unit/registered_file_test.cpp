#include "browser/registered_file.h"

#include <gtest/gtest.h>

#include <set>

namespace corvalinde {
namespace {

TEST(RegisteredFile, CommandLinesGiveTheProgramTheyStart) {
  std::set<std::wstring> files{L"C:\\Program Files\\App\\server.exe", L"C:\\tools\\srv.exe"};
  FileTest exists = [&](const std::wstring& path) { return files.count(path) > 0; };
  // Quoted; unquoted with blanks, as Windows reads it; ".exe" left out; arguments.
  EXPECT_EQ(ProgramOfCommandLine(L" \"C:\\Program Files\\App\\server.exe\" /automation", exists),
            L"C:\\Program Files\\App\\server.exe");
  EXPECT_EQ(ProgramOfCommandLine(L"C:\\Program Files\\App\\server.exe -Embedding", exists),
            L"C:\\Program Files\\App\\server.exe");
  EXPECT_EQ(ProgramOfCommandLine(L"C:\\tools\\srv /automation", exists), L"C:\\tools\\srv.exe");
  // Gone: up to ".exe", else up to the first blank.
  EXPECT_EQ(ProgramOfCommandLine(L"C:\\Old Place\\gone.EXE /x", exists),
            L"C:\\Old Place\\gone.EXE");
  EXPECT_EQ(ProgramOfCommandLine(L"C:\\gone /x", exists), L"C:\\gone");
  EXPECT_EQ(ProgramOfCommandLine(L"\"C:\\unended", exists), L"C:\\unended");
  Expander expand = [](const std::wstring& text) {
    return text.rfind(L"%ProgramFiles%", 0) == 0 ? L"C:\\Program Files" + text.substr(14) : text;
  };
  EXPECT_EQ(RegisteredFile(L"%ProgramFiles%\\App\\server.exe /a", true, exists, expand),
            L"C:\\Program Files\\App\\server.exe");
  EXPECT_EQ(RegisteredFile(L" \"C:\\a b\\m.dll\" ", false, exists, expand), L"C:\\a b\\m.dll");
  EXPECT_EQ(FileStatus(L"C:\\a b\\m.dll", exists), L"file mancante");
  EXPECT_EQ(FileStatus(L"", exists), L"");
}

}  // namespace
}  // namespace corvalinde
