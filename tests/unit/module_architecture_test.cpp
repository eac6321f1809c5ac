#include "registration/module_architecture.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/command_line_run.h"
#include "app/exit_codes.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/process.h"
#include "registration/reg_unreg_module.h"
#include "test_support.h"

namespace corvalinde {
namespace {

using testing::TestModulePath;

std::wstring ArchModule(const char* arch) {
  std::wstring path = TestModulePath(std::string("testmod_arch_") + arch);
  // The images keep their .dll name on every platform.
  return path.substr(0, path.find_last_of(L'.')) + L".dll";
}

std::string Image(std::uint16_t machine, std::uint32_t peOffset = 0x80) {
  std::string bytes(peOffset + 24, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>(peOffset >> (8 * i));
  bytes.replace(peOffset, 4, std::string("PE\0\0", 4));
  bytes[peOffset + 4] = static_cast<char>(machine & 0xFF);
  bytes[peOffset + 5] = static_cast<char>(machine >> 8);
  return bytes;
}

TEST(ModuleArchitecture, RealImagesOfBothKinds) {
  EXPECT_EQ(ReadModuleArchitecture(ArchModule("i686")), ModuleArchitecture::X86);
  EXPECT_EQ(ReadModuleArchitecture(ArchModule("x86_64")), ModuleArchitecture::X64);
  EXPECT_EQ(ReadModuleArchitecture(TestModulePath("testmod_text")), ModuleArchitecture::Unknown);
  EXPECT_EQ(ReadModuleArchitecture(TestModulePath("testmod_missing")), ModuleArchitecture::Unknown);
}

TEST(ModuleArchitecture, HeadersThatAreShortOrPointOutside) {
  EXPECT_EQ(ArchitectureOfImage(Image(0xAA64)), ModuleArchitecture::Arm64);
  EXPECT_EQ(ArchitectureOfImage(Image(0x01C4)), ModuleArchitecture::Arm);
  EXPECT_EQ(ArchitectureOfImage(Image(0x0200)), ModuleArchitecture::Unknown);  // Itanium
  std::string image = Image(0x8664);
  EXPECT_EQ(ArchitectureOfImage(image.substr(0, 0x80 + 5)), ModuleArchitecture::Unknown);
  std::string farAway = image;
  farAway[0x3F] = '\x7F';  // the PE header would start 2 GB into the file
  EXPECT_EQ(ArchitectureOfImage(farAway), ModuleArchitecture::Unknown);
  EXPECT_EQ(ArchitectureOfImage("MZ"), ModuleArchitecture::Unknown);
  EXPECT_EQ(ArchitectureOfImage(""), ModuleArchitecture::Unknown);
}

TEST(ModuleArchitecture, TheEngineDoesNotLoadAModuleOfTheOtherKind) {
  if (RunningArchitecture() != ModuleArchitecture::X64) GTEST_SKIP() << "a 64-bit build's case";
  testing::MarkerFile marker;
  auto loader = platform::MakeSystemModuleLoader();
  RegistrationResult result = RegUnregModule(ArchModule("i686"), L"R", *loader);
  EXPECT_EQ(result.outcome, RegWrongArchitecture);
  EXPECT_EQ(result.architecture, ModuleArchitecture::X86);
  EXPECT_TRUE(marker.Lines().empty());
  EXPECT_FALSE(testing::IsModuleLoaded(ArchModule("i686")));
}

// A launcher that records what it was asked to start and ends with a chosen code.
struct RecordingLauncher final : platform::ProgramLauncher {
  std::optional<std::uint32_t> RunAndWait(const std::wstring& program,
                                          const std::wstring& arguments) override {
    started.push_back({program, arguments});
    return exitCode;
  }
  std::vector<std::pair<std::wstring, std::wstring>> started;
  std::optional<std::uint32_t> exitCode = 42;
};

class WrongArchitectureRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunningArchitecture() != ModuleArchitecture::X64) GTEST_SKIP() << "a 64-bit build's case";
  }
  CommandLineRun Run(const std::wstring& text) {
    return RunCommandLine(text, {*loader_, boxes_, launcher_, program_});
  }
  std::unique_ptr<platform::ModuleLoader> loader_ = platform::MakeSystemModuleLoader();
  platform::inmemory::RecordingMessageBoxes boxes_;
  RecordingLauncher launcher_;
  // The program runs from the test modules' folder; a twin beside it is a file of that name.
  std::wstring folder_ =
      TestModulePath("x").substr(0, TestModulePath("x").find_last_of(L"\\/") + 1);
  std::wstring program_ = folder_ + L"Corvalinde.exe";
  testing::ModuleFolderAsCurrent inModuleFolder_;
};

TEST_F(WrongArchitectureRun, WithoutTheOtherBuildItSaysWhichOneCanDoIt) {
  CommandLineRun run = Run(L"/filename testmod_arch_i686.dll /modal R /visible 0");
  EXPECT_TRUE(launcher_.started.empty());
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].text,
            L"Modulo : testmod_arch_i686.dll\r\nIl modulo è a 32 bit: questa versione di "
            L"Corvalinde, a 64 bit, non può caricarlo.\r\nUsare Corvalinde32.exe, nella stessa "
            L"cartella di Corvalinde.exe.");
  EXPECT_EQ(boxes_.Shown()[0].title, L"Errore");
  EXPECT_EQ(run.exitCode, kExitModuleInvalid);
}

TEST_F(WrongArchitectureRun, TheOtherBuildBesideUsDoesTheRunAndItsCodeIsOurs) {
  std::wstring twin = folder_ + L"Corvalinde32.exe";
  { std::ofstream(std::string(twin.begin(), twin.end())) << "stand-in"; }
  CommandLineRun run = Run(L" /MODAL U /filename testmod_arch_i686.dll");
  CommandLineRun staying = Run(L"/filename testmod_arch_i686.dll /modal R /visible 1");
  std::remove(std::string(twin.begin(), twin.end()).c_str());
  ASSERT_EQ(launcher_.started.size(), 2u);
  EXPECT_EQ(launcher_.started[0].first, twin);
  EXPECT_EQ(launcher_.started[0].second, L" /MODAL U /filename testmod_arch_i686.dll");
  EXPECT_TRUE(boxes_.Shown().empty());
  EXPECT_EQ(run.exitCode, 42);
  EXPECT_FALSE(run.goOnInTray);
  // This process goes on into the tray; the twin must not stay there too.
  EXPECT_EQ(launcher_.started[1].second, L"/filename testmod_arch_i686.dll /modal R /visible 0");
  EXPECT_TRUE(staying.goOnInTray);
}

}  // namespace
}  // namespace corvalinde
