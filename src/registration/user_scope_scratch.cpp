#include "registration/user_scope_scratch.h"

#include "common/first_lines.h"
#include "common/letter_case.h"
#include "common/texts.h"
#include "platform/per_user_classes.h"
#include "platform/registry_key.h"
#include "registry/key_tree.h"

namespace corvalinde {
namespace {

bool HasValues(platform::Registry& registry, platform::RegKey key) {
  platform::RegKeyInfo info;
  return registry.QueryInfoKey(key, info) == platform::kRegSuccess && info.values > 0;
}

}  // namespace

std::vector<std::wstring> MachineKeysNotApplied(platform::Registry& registry,
                                                const std::wstring& scratchKey) {
  std::vector<std::wstring> keys;
  const std::wstring root = platform::kScratchMachine;
  platform::RegistryKey machine(registry);
  if (registry.OpenKeyItself(platform::kHkeyCurrentUser,
                             scratchKey + L"\\" + platform::kScratchMachine, platform::kKeyRead,
                             *machine.Out()) != platform::kRegSuccess) {
    return keys;
  }
  if (HasValues(registry, machine.get())) keys.push_back(root);
  for (const std::wstring& name : SubKeyNames(registry, machine.get())) {
    if (ToUpperText(name) != L"SOFTWARE") {
      keys.push_back(root + L"\\" + name);
      continue;
    }
    platform::RegistryKey software(registry);
    if (registry.OpenKeyItself(machine.get(), name, platform::kKeyRead, *software.Out()) !=
        platform::kRegSuccess) {
      continue;
    }
    if (HasValues(registry, software.get())) keys.push_back(root + L"\\" + name);
    for (const std::wstring& below : SubKeyNames(registry, software.get())) {
      // The link to the user's classes: what went there was applied.
      platform::RegistryKey sub(registry);
      if (ToUpperText(below) == L"CLASSES" &&
          registry.OpenKeyItself(software.get(), below, platform::kKeyRead, *sub.Out()) ==
              platform::kRegSuccess &&
          IsLink(registry, sub.get())) {
        continue;
      }
      keys.push_back(root + L"\\" + name + L"\\" + below);
    }
  }
  return keys;
}

std::wstring NotAppliedLines(const RegistrationResult& result) {
  return FirstLines(result.notApplied, 5, texts::kNotAppliedForUser, texts::kAndOtherKeys);
}

}  // namespace corvalinde
