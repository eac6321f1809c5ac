// The PE reader on images built here: what a linker writes, and what a damaged or crafted file
// holds instead. It must read the first and never read past the second.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "pe/dependency_walk.h"
#include "pe/pe_image.h"
#include "pe_builder.h"
#include "platform/process.h"
#include "registration/dependency_diagnosis.h"

namespace corvalinde::pe {
namespace {

using corvalinde::testing::ImageBuilder;

// An import directory for `dlls`, each with its functions.
std::uint32_t AddImports(
    ImageBuilder& image,
    const std::vector<std::pair<std::string, std::vector<std::string>>>& dlls) {
  std::string descriptors;
  for (const auto& [name, functions] : dlls) {
    std::uint32_t thunks = image.AddThunks(functions), nameRva = image.AddName(name);
    descriptors += ImageBuilder::U32(thunks) + ImageBuilder::U32(0) + ImageBuilder::U32(0) +
                   ImageBuilder::U32(nameRva) + ImageBuilder::U32(thunks);
  }
  std::uint32_t rva = image.Add(descriptors + std::string(20, '\0'));
  image.SetDirectory(1, rva);
  return rva;
}

std::optional<PeImage> Read(const std::string& bytes) {
  BufferSource source(bytes);
  return ReadPeImage(source);
}

TEST(PeImage, ReadsImportsDelayImportsAndExportsAsALinkerWritesThem) {
  ImageBuilder image;
  AddImports(image, {{"KERNEL32.dll", {"LoadLibraryW", "#42"}}, {"dep.dll", {"DepFunction"}}});
  std::uint32_t delayedThunks = image.AddThunks({"Later"}), delayedName = image.AddName("late.dll");
  image.SetDirectory(13, image.Add(ImageBuilder::U32(1) + ImageBuilder::U32(delayedName) +
                                   std::string(8, '\0') + ImageBuilder::U32(delayedThunks) +
                                   std::string(12, '\0') + std::string(32, '\0')));
  std::uint32_t names[] = {image.AddName("DllUnregisterServer"),
                           image.AddName("DllRegisterServer")};
  std::uint32_t nameTable = image.Add(ImageBuilder::U32(names[0]) + ImageBuilder::U32(names[1]));
  image.SetDirectory(
      0, image.Add(std::string(16, '\0') + ImageBuilder::U32(5) + ImageBuilder::U32(3) +
                   ImageBuilder::U32(2) + ImageBuilder::U32(0) + ImageBuilder::U32(nameTable) +
                   ImageBuilder::U32(0)));

  auto read = Read(image.Build());
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->machine, 0x8664);
  ASSERT_EQ(read->imports.size(), 3u);
  EXPECT_EQ(read->imports[0].name, "KERNEL32.dll");
  EXPECT_EQ(read->imports[0].functions, (std::vector<std::string>{"LoadLibraryW", "#42"}));
  EXPECT_EQ(read->imports[1].functions, std::vector<std::string>{"DepFunction"});
  EXPECT_EQ(read->imports[2].name, "late.dll");
  EXPECT_TRUE(read->imports[2].delayed);
  EXPECT_TRUE(read->Exports("DllRegisterServer"));
  EXPECT_TRUE(read->Exports("DllUnregisterServer"));
  EXPECT_FALSE(read->Exports("DllInstall"));
  EXPECT_TRUE(read->Exports("#7"));  // ordinals 5 to 7
  EXPECT_FALSE(read->Exports("#8"));
  EXPECT_FALSE(read->Exports("#99999999999999999999"));
}

TEST(PeImage, DamagedOrCraftedFilesAreReadOnlyAsFarAsTheyHold) {
  ImageBuilder image;
  AddImports(image, {{"a.dll", {"F"}}});
  std::string whole = image.Build();
  // Cut anywhere: never a read past the end, at most fewer imports.
  for (std::size_t size = 0; size < whole.size(); size += 7) {
    auto read = Read(whole.substr(0, size));
    if (read) {
      EXPECT_LE(read->imports.size(), 1u);
    }
  }
  EXPECT_FALSE(Read("MZ").has_value());
  EXPECT_FALSE(Read(std::string(0x40, 'M')).has_value());

  // The PE header pointer, a name and a thunk pointing outside the file.
  std::string outside = whole;
  outside.replace(0x3C, 4, ImageBuilder::U32(0xFFFFFFF0));
  EXPECT_FALSE(Read(outside).has_value());
  ImageBuilder beyond;
  beyond.SetDirectory(1, beyond.Add(ImageBuilder::U32(0x7FFFFFF0) + std::string(8, '\0') +
                                    ImageBuilder::U32(0x7FFFFFF0) + ImageBuilder::U32(0x7FFFFFF0) +
                                    std::string(20, '\0')));
  auto read = Read(beyond.Build());
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->imports.empty());

  // A name with no NUL before the file ends: the last bytes of the file.
  ImageBuilder unended;
  std::uint32_t thunks = unended.AddThunks({});
  std::uint32_t descriptors = unended.Add(""), name = descriptors + 40;
  unended.Add(ImageBuilder::U32(thunks) + std::string(8, '\0') + ImageBuilder::U32(name) +
              ImageBuilder::U32(thunks) + std::string(20, '\0'));
  unended.Add("endless");
  unended.SetDirectory(1, descriptors);
  read = Read(unended.Build());
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(read->imports.empty());
}

// Descriptors that all name one long thunk list, the list running into the descriptors: the
// counts stop it, in time.
TEST(PeImage, LoopsAndHugeDirectoriesStopAtTheLimits) {
  ImageBuilder looping;
  std::uint32_t name = looping.AddName("loop.dll");
  std::uint32_t thunks = looping.AddThunks(std::vector<std::string>(4000, "#1"));
  std::string descriptor = ImageBuilder::U32(thunks) + std::string(8, '\0') +
                           ImageBuilder::U32(name) + ImageBuilder::U32(thunks);
  std::string descriptors;
  for (int i = 0; i < 1000; ++i) descriptors += descriptor;
  looping.SetDirectory(1, looping.Add(descriptors));  // no terminator: runs to the file's end
  auto read = Read(looping.Build());
  ASSERT_TRUE(read.has_value());
  std::size_t functions = 0;
  for (const ImportedDll& dll : read->imports) functions += dll.functions.size();
  EXPECT_LE(functions, kMostFunctionsInAll);

  ImageBuilder many;
  std::vector<std::pair<std::string, std::vector<std::string>>> dlls;
  for (int i = 0; i < 10000; ++i) dlls.push_back({std::to_string(i) + ".dll", {"F"}});
  AddImports(many, dlls);
  read = Read(many.Build());
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->imports.size(), 10000u);
}

// 65,535 sections, 16,384 descriptors sharing a list of 65,536 functions, the module importing
// itself: read within the limits, each missing function told once, twenty of them shown.
TEST(PeImage, ACraftedModuleIsReadAndToldWithinBounds) {
  const std::string image = corvalinde::testing::CraftedImage(65535, 16384, 65536, "selfish.dll");
  BufferSource source(image);
  auto read = ReadPeImage(source);
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->imports.size(), 16384u);
  std::size_t functions = 0;
  for (const ImportedDll& dll : read->imports) functions += dll.functions.size();
  EXPECT_EQ(functions, kMostFunctionsInAll);
  EXPECT_EQ(read->imports[0].functions.back(), "f0065535");  // the data past all the sections

  const std::wstring folder = platform::ExecutableFolder();
  const std::wstring path =
      folder + (folder.find(L'\\') != std::wstring::npos ? L"\\" : L"/") + L"selfish.dll";
  const std::string narrow(path.begin(), path.end());
  std::ofstream(narrow, std::ios::binary) << image;
  DependencyReport report = WalkDependencies(path, {});
  std::remove(narrow.c_str());
  EXPECT_EQ(report.problems.size(), 65536u);
  std::wstring lines = DependencyLines(report.problems);
  EXPECT_EQ(lines.rfind(L"Manca una funzione richiesta:\r\n  f0000000 in selfish.dll", 0), 0u);
  EXPECT_NE(lines.find(L"  f0000019 in"), std::wstring::npos);
  EXPECT_EQ(lines.find(L"  f0000020 in"), std::wstring::npos);
  EXPECT_EQ(lines.substr(lines.size() - 17), L"… e altri 65516\r\n");
}

}  // namespace
}  // namespace corvalinde::pe
