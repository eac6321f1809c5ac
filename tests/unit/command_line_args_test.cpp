#include "app/command_line_args.h"

#include <gtest/gtest.h>

namespace corvalinde {
namespace {

struct Switches {
  std::wstring fileName;
  std::wstring mode;
  bool visible;
};

Switches ReadSwitches(std::wstring_view text) {
  return {GetFilenameArg(text), GetModalArg(text), GetVisibleArg(text)};
}

TEST(CommandLineArgs, ShellVerbCommandKeepsSpacesInThePath) {
  Switches s = ReadSwitches(L" /filename C:\\Program Files\\x.ocx /modal R /visible 0");
  EXPECT_EQ(s.fileName, L"C:\\Program Files\\x.ocx");
  EXPECT_EQ(s.mode, L"R");
  EXPECT_FALSE(s.visible);
}

TEST(CommandLineArgs, NamesIgnoreCaseValuesKeepIt) {
  Switches s = ReadSwitches(L"/MODAL u /FileName a.dll");
  EXPECT_EQ(s.fileName, L"a.dll");
  EXPECT_EQ(s.mode, L"u");
  EXPECT_FALSE(s.visible);
}

TEST(CommandLineArgs, AValueEndsAtTheNextSlash) {
  EXPECT_EQ(GetFilenameArg(L"/filename a/b.dll /modal U"), L"a");
  Switches s = ReadSwitches(L"/filename C:\\x.dll/modal R");
  EXPECT_EQ(s.fileName, L"C:\\x.dll");
  EXPECT_EQ(s.mode, L"R");
}

// The installer's switch is a command line of its own: with anything else it is no removal.
TEST(CommandLineArgs, TheUninstallSwitchStandsAlone) {
  EXPECT_TRUE(IsUninstallCommandLine(L"/disinstalla"));
  EXPECT_TRUE(IsUninstallCommandLine(L"  /DISINSTALLA "));
  EXPECT_FALSE(IsUninstallCommandLine(L"/disinstalla /filename a.dll"));
  EXPECT_FALSE(IsUninstallCommandLine(L"/filename /disinstalla"));
  EXPECT_FALSE(IsUninstallCommandLine(L"/disinstallare"));
}

TEST(CommandLineArgs, EmptyValuesAndAbsentSwitches) {
  EXPECT_EQ(GetFilenameArg(L"/filename /modal R"), L"");
  EXPECT_EQ(GetFilenameArg(L"/modal R /filename"), L"");
  Switches none = ReadSwitches(L"");
  EXPECT_EQ(none.fileName, L"");
  EXPECT_EQ(none.mode, L"");
  EXPECT_FALSE(none.visible);
}

TEST(CommandLineArgs, SwitchMayBeThePrefixOfAWordAndOnlyTheFirstCounts) {
  EXPECT_EQ(GetFilenameArg(L"/filenamea.dll"), L"a.dll");
  EXPECT_EQ(GetModalArg(L"/modal U /modal R"), L"U");
}

TEST(CommandLineArgs, OnlyThreeModalValuesNameAnAction) {
  EXPECT_EQ(ReadModalAction(L"R")->action, Action::Register);
  EXPECT_FALSE(ReadModalAction(L"U")->quiet);
  EXPECT_EQ(ReadModalAction(L"u")->action, Action::Unregister);
  EXPECT_TRUE(ReadModalAction(L"u")->quiet);
  for (const wchar_t* value : {L"r", L"RU", L"W", L"D", L""}) EXPECT_FALSE(ReadModalAction(value));
}

TEST(CommandLineArgs, OnlyBlanksAreTrimmed) {
  EXPECT_EQ(GetFilenameArg(L"/filename \ta.dll\t /modal R"), L"\ta.dll\t");
  EXPECT_EQ(GetFilenameArg(L"/filename \"C:\\a b.dll\" /modal R"), L"\"C:\\a b.dll\"");
}

TEST(CommandLineArgs, VisibleIsANumberAndNotANumberIsFalse) {
  EXPECT_TRUE(GetVisibleArg(L"/visible 1"));
  EXPECT_FALSE(GetVisibleArg(L"/visible 0"));
  EXPECT_TRUE(GetVisibleArg(L"/visible 2"));
  EXPECT_TRUE(GetVisibleArg(L"/visible -1"));
  EXPECT_TRUE(GetVisibleArg(L"/visible 0.5"));
  EXPECT_FALSE(GetVisibleArg(L"/visible 0.0"));
  EXPECT_TRUE(GetVisibleArg(L"/visible 1e3"));
  EXPECT_FALSE(GetVisibleArg(L"/visible"));
  EXPECT_FALSE(GetVisibleArg(L"/visible yes"));
  EXPECT_FALSE(GetVisibleArg(L"/visible 1x"));
  EXPECT_FALSE(GetVisibleArg(L"/visible ."));
  EXPECT_FALSE(GetVisibleArg(L"/visible 1e"));
}

TEST(CommandLineArgs, UserIsASwitchOfItsOwnAnywhere) {
  for (const wchar_t* text :
       {L"/USER /filename a.dll /modal R", L"/filename a.dll /modal R /user",
        L"/user 1 /filename a.dll", L"/user /User /filename a.dll", L"/filename a.dll/user"}) {
    EXPECT_TRUE(GetUserArg(text)) << ::testing::PrintToString(text);
  }
  for (const wchar_t* text :
       {L"/filename C:\\users\\a.dll", L"/users /filename a.dll", L"/filename a.dll /modal R"}) {
    EXPECT_FALSE(GetUserArg(text)) << ::testing::PrintToString(text);
  }
  EXPECT_EQ(GetFilenameArg(L"/user 1 /filename a.dll /modal R"), L"a.dll");
}

}  // namespace
}  // namespace corvalinde
