#include "registration/module_architecture.h"

#include <gtest/gtest.h>

#include "registration/reg_unreg_module.h"
#include "test_support.h"

namespace corvalinde {
namespace {

using testing::TestModulePath;

using testing::ArchModule;

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
  RegistrationResult result = RegUnregModule(ArchModule("i686"), Action::Register, *loader);
  EXPECT_EQ(result.outcome, RegWrongArchitecture);
  EXPECT_EQ(result.architecture, ModuleArchitecture::X86);
  EXPECT_TRUE(marker.Lines().empty());
  EXPECT_FALSE(testing::IsModuleLoaded(ArchModule("i686")));
}

}  // namespace
}  // namespace corvalinde
