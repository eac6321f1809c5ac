// clsRegistry's document-type association builder: every key is written through the object's
// own properties and value write, so the REG_SZ / REG_EXPAND_SZ rule applies to each.
#include "registry/cls_registry.h"

namespace corvalinde {
namespace {

// The executable path in exactly one pair of double quotes, without blanks around it.
std::wstring QuotedPath(const std::wstring& path) {
  std::size_t first = path.find_first_not_of(L' ');
  std::wstring quoted = first == std::wstring::npos
                            ? L""
                            : path.substr(first, path.find_last_not_of(L' ') - first + 1);
  if (quoted.empty() || quoted.front() != L'"') quoted.insert(quoted.begin(), L'"');
  if (quoted.size() == 1 || quoted.back() != L'"') quoted.push_back(L'"');
  return quoted;
}

const std::wstring& Or(const std::wstring& text, const std::wstring& fallback) {
  return text.empty() ? fallback : text;
}

}  // namespace

void clsRegistry::CreateEXEAssociation(const std::wstring& sExePath, const std::wstring& sClassName,
                                       const std::wstring& sClassDescription,
                                       const std::wstring& sAssociation,
                                       const std::wstring& sOpenMenuText, bool bSupportPrint,
                                       const std::wstring& sPrintMenuText, bool bSupportNew,
                                       const std::wstring& sNewMenuText, bool bSupportInstall,
                                       const std::wstring& sInstallMenuText,
                                       std::int32_t lDefaultIconIndex) {
  const std::wstring quoted = QuotedPath(sExePath);
  SetClassKey(static_cast<std::int32_t>(platform::kHkeyClassesRoot));
  SetValueType(platform::kRegSz);
  auto write = [&](const std::wstring& section, const std::wstring& value) {
    SetSectionKey(section);
    SetValueKey(L"");
    SetValue(value);
  };
  write(L"." + sAssociation, sClassName);
  write(sClassName, sClassDescription);
  const std::wstring shell = sClassName + L"\\shell\\";
  write(shell + L"open", Or(sOpenMenuText, L"&Open"));
  write(shell + L"open\\command", quoted + L" \"%1\"");
  if (bSupportPrint) {
    write(shell + L"print", Or(sPrintMenuText, L"&Print"));
    write(shell + L"print\\command", quoted + L" /p \"%1\"");
  }
  // Install before new, whatever order the parameters come in.
  if (bSupportInstall) {
    write(shell + L"add", Or(sInstallMenuText, L"&Install " + sAssociation));
    write(shell + L"add\\command", quoted + L" /a \"%1\"");
  }
  if (bSupportNew) {
    write(shell + L"new", Or(sNewMenuText, L"&New"));
    write(shell + L"new\\command", quoted + L" /n \"%1\"");
  }
  if (lDefaultIconIndex >= 0) {
    write(sClassName + L"\\DefaultIcon", quoted + L"," + std::to_wstring(lDefaultIconIndex));
  }
}

std::optional<RegistryError> clsRegistry::CreateAdditionalEXEAssociations(
    const std::wstring& sClassName, const std::vector<RegistryValue>& vItems) {
  std::optional<RegistryError> recorded;
  if (vItems.size() % 3 != 0) {
    return RegistryError(kErrAssociationItems,
                         L"Invalid parameter list passed to CreateAdditionalEXEAssociations - "
                         L"expected Name/Text/Command");
  }
  SetSectionKey(sClassName);
  if (!KeyExists()) {
    return RegistryError(kErrAssociationNoClass,
                         L"Error - attempt to create additional associations before class "
                         L"defined.");
  }
  // Every write is tried; the last failure is the one handed back.
  auto write = [&](const std::wstring& section, const RegistryValue& value) {
    try {
      SetSectionKey(section);
      SetValueKey(L"");
      SetValue(value);
    } catch (const RegistryError& error) {
      recorded = error;
    }
  };
  for (std::size_t k = 0; k + 2 < vItems.size(); k += 3) {
    SetValueType(platform::kRegSz);
    const std::wstring verb = sClassName + L"\\shell\\" + ToText(vItems[k]);
    write(verb, vItems[k + 1]);
    write(verb + L"\\command", vItems[k + 2]);
  }
  return recorded;
}

}  // namespace corvalinde
