// A .reg file of COM classes: the copy the browser writes before it removes a class's keys, or
// a file the user writes back. Only the places classes live are taken: HKEY_CLASSES_ROOT,
// HKEY_LOCAL_MACHINE\Software\Classes and HKEY_CURRENT_USER\Software\Classes, below them.
// Each key belongs to the machine (the first two) or to the user, so that a process with
// administrator rights can be given the machine's part and this user's process keep its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "platform/registry.h"
#include "registry/reg_file.h"

namespace corvalinde {

enum class ClassesPart { Machine, User };

struct ClassesFile {
  ParsedRegFile content;
  std::wstring digest{};  // SHA-256 of the bytes read, which a host must find the same
  // Which roots it names.
  bool classesRoot = false, machineClasses = false, userClasses = false;
  bool Has(ClassesPart part) const {
    return part == ClassesPart::User ? userClasses : classesRoot || machineClasses;
  }
};

// The file, or its first problem: a key anywhere else is OutsideClasses, at its line.
std::variant<ClassesFile, RegFileError> ReadClassesFile(std::string_view bytes);

struct ClassesDone {
  std::optional<RegFileError> error;  // where it stopped; what came before it stays done
  std::size_t keys = 0;
  std::size_t values = 0;
  std::size_t classes = 0;  // removing: class keys (CLSID\{…}) removed
};

// Where a key of the file is written: the machine's keys under HKEY_CLASSES_ROOT go to
// HKEY_LOCAL_MACHINE\Software\Classes, whoever writes them (an administrator's own classes
// would otherwise take what was meant for every user).
RegFileKey WrittenKey(const RegFileKey& key);
// Its full name there: "HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{…}".
std::wstring WrittenKeyName(const RegFileKey& key);

// Whether a removal may take the key (its path below the classes' root) away whole: a class
// (CLSID\{…}), an application (AppID\{…}) or a programmatic identifier, not a key every class
// or the shell shares, nor a file type.
bool IsClassOwnKey(const std::wstring& path);

// Creates the part's keys (where WrittenKey says) and sets their values.
ClassesDone RestoreClasses(const ClassesFile& file, ClassesPart part, platform::Registry& registry);

// Removes what a backup holds of the part: every key it names, those under a key first (a key
// already gone counts as nothing; one that holds a key the file does not name stays, and the
// removal stops there). Only a class's own keys are removed, those directly under
// CLSID or AppID and programmatic identifiers; a backup naming any other key below the roots
// is refused (OutsideClasses, nothing removed), and so is one naming HKEY_CLASSES_ROOT, which
// is no single place. `keys` counts the file's keys removed.
ClassesDone RemoveClasses(const ClassesFile& file, ClassesPart part, platform::Registry& registry);

}  // namespace corvalinde
