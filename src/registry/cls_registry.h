// clsRegistry: a general key-and-value access object. The caller sets where (root, path, value
// name, type, and what a failed read gives back) and then calls an operation; each operation
// opens what it needs and closes it before it returns. Failures raise RegistryError, except
// KeyExists (false) and the value read (Default).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "registry/registry_error.h"
#include "registry/registry_value.h"

namespace corvalinde {

// An array as the enumerations hand it back: indexed from 1 to its count; empty when there is
// nothing, with no element at all.
class NameArray {
 public:
  const std::wstring& operator()(std::int32_t index) const { return names_.at(index - 1); }
  std::int32_t Count() const { return static_cast<std::int32_t>(names_.size()); }
  bool Empty() const { return names_.empty(); }
  void Clear() { names_.clear(); }
  void Append(std::wstring name) { names_.push_back(std::move(name)); }

 private:
  std::vector<std::wstring> names_;
};

class clsRegistry {
 public:
  explicit clsRegistry(platform::Registry& registry) : registry_(registry) {}

  // The properties: stored and returned as they are, with no checks.
  std::int32_t ClassKey() const { return classKey_; }
  void SetClassKey(std::int32_t key) { classKey_ = key; }
  const std::wstring& SectionKey() const { return sectionKey_; }
  void SetSectionKey(std::wstring section) { sectionKey_ = std::move(section); }
  const std::wstring& ValueKey() const { return valueKey_; }
  void SetValueKey(std::wstring name) { valueKey_ = std::move(name); }
  std::int32_t ValueType() const { return valueType_; }
  void SetValueType(std::int32_t type) { valueType_ = type; }
  const RegistryValue& Default() const { return default_; }
  void SetDefault(RegistryValue value) { default_ = std::move(value); }

  bool KeyExists();
  bool CreateKey();
  bool DeleteKey();
  bool DeleteValue();
  // Reads ClassKey\SectionKey's ValueKey; a successful read sets ValueType to the stored type.
  RegistryValue Value();
  void SetValue(const RegistryValue& value);

  bool EnumerateValues(NameArray& sKeyNames, std::int32_t& iKeyCount);
  bool EnumerateSections(NameArray& sSect, std::int32_t& iSectCount);

  // A document type under HKEY_CLASSES_ROOT: the extension, the class, its open verb and the
  // optional print, install and new verbs and icon. Raises the first write error.
  void CreateEXEAssociation(const std::wstring& sExePath, const std::wstring& sClassName,
                            const std::wstring& sClassDescription, const std::wstring& sAssociation,
                            const std::wstring& sOpenMenuText, bool bSupportPrint,
                            const std::wstring& sPrintMenuText, bool bSupportNew,
                            const std::wstring& sNewMenuText, bool bSupportInstall,
                            const std::wstring& sInstallMenuText, std::int32_t lDefaultIconIndex);
  // Further verbs, items taken as (name, menu text, command) triples; never raises: gives back
  // the last error met, or none.
  std::optional<RegistryError> CreateAdditionalEXEAssociations(
      const std::wstring& sClassName, const std::vector<RegistryValue>& vItems);

 private:
  static std::int32_t SwapByteOrder(std::int32_t value);
  std::wstring ExpandEnvironmentText(const std::wstring& text);
  std::wstring WriteFailureText(const RegistryValue& value) const;
  platform::RegKey Root() const { return static_cast<platform::RegKey>(classKey_); }

  platform::Registry& registry_;
  std::int32_t classKey_ = 0;
  std::wstring sectionKey_;
  std::wstring valueKey_;
  std::int32_t valueType_ = 0;
  RegistryValue default_;
};

}  // namespace corvalinde
