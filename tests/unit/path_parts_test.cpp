// Paths taken apart: both separators, a drive's colon, names with no extension or only one.
#include "platform/path_parts.h"

#include <gtest/gtest.h>

namespace corvalinde::platform {
namespace {

TEST(PathParts, FolderNameAndExtensionWhateverTheSeparator) {
  const struct {
    std::wstring_view path, folder, name, extension, withoutExtension;
  } cases[] = {
      {L"C:\\Moduli\\grafico.OCX", L"C:\\Moduli", L"grafico.OCX", L".OCX", L"C:\\Moduli\\grafico"},
      {L"/home/a/b.c/modulo", L"/home/a/b.c", L"modulo", L"", L"/home/a/b.c/modulo"},
      {L"C:a.tar.gz", L"C:", L"a.tar.gz", L".gz", L"C:a.tar"},
      {L"C:\\a.dll", L"C:", L"a.dll", L".dll", L"C:\\a"},
      {L"\\\\server\\share\\.dll", L"\\\\server\\share", L".dll", L".dll", L"\\\\server\\share\\"},
      {L"modulo.dll", L"", L"modulo.dll", L".dll", L"modulo"},
      {L"dir\\", L"dir", L"", L"", L"dir\\"},
      {L"", L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.path)));
    EXPECT_EQ(FolderOf(c.path), c.folder);
    EXPECT_EQ(FileNameOf(c.path), c.name);
    EXPECT_EQ(ExtensionOf(c.path), c.extension);
    EXPECT_EQ(WithoutExtension(c.path), c.withoutExtension);
  }
}

}  // namespace
}  // namespace corvalinde::platform
