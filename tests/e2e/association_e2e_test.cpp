// The association builder on the real registry, checked with Windows' own reg.exe.
#include <gtest/gtest.h>

#include "app_driver.h"
#include "platform/registry.h"
#include "registry/cls_registry.h"

namespace corvalinde::e2e {
namespace {

TEST(AssociationForReal, RegQueryShowsEveryKeyAndExpandableCommands) {
  auto registry = platform::MakeSystemRegistry();
  clsRegistry reg(*registry);
  reg.CreateEXEAssociation(L"%ProgramFiles%\\Corvalinde Prova\\prova.exe", L"CorvalindeDoc",
                           L"Documento di prova", L"cvdoc", L"", true, L"", true, L"", true, L"",
                           0);
  std::string listing = RunAndCapture(L"reg query HKCR\\CorvalindeDoc /s");
  std::string extension = RunAndCapture(L"reg query HKCR\\.cvdoc");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CorvalindeDoc");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".cvdoc");

  EXPECT_NE(extension.find("CorvalindeDoc"), std::string::npos) << extension;
  std::size_t at = 0;
  for (const char* key :
       {"DefaultIcon", "shell\\add", "shell\\add\\command", "shell\\new", "shell\\new\\command",
        "shell\\open", "shell\\open\\command", "shell\\print", "shell\\print\\command"}) {
    std::size_t found = listing.find(std::string("CorvalindeDoc\\") + key + "\r\n", at);
    EXPECT_NE(found, std::string::npos) << key << " missing or out of order in:\n" << listing;
    if (found != std::string::npos) at = found;
  }
  EXPECT_NE(listing.find("REG_EXPAND_SZ    \"%ProgramFiles%\\Corvalinde Prova\\prova.exe\" \"%1\""),
            std::string::npos)
      << listing;
  EXPECT_NE(listing.find("REG_EXPAND_SZ    \"%ProgramFiles%\\Corvalinde Prova\\prova.exe\",0"),
            std::string::npos)
      << listing;
}

}  // namespace
}  // namespace corvalinde::e2e
