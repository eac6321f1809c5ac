#include "registry/classes_file.h"

#include <array>
#include <optional>
#include <string>

#include "common/letter_case.h"
#include "registry/key_tree.h"

namespace corvalinde {
namespace {

constexpr std::wstring_view kClassesPath = L"SOFTWARE\\CLASSES";

// Where the key sits among the classes: its part, and its path below the classes' root.
struct ClassesPlace {
  ClassesPart part;
  std::wstring path;  // as the file writes it
};

std::optional<ClassesPlace> PlaceOf(const RegFileKey& key) {
  if (key.root == platform::kHkeyClassesRoot) return ClassesPlace{ClassesPart::Machine, key.subKey};
  if (key.root != platform::kHkeyLocalMachine && key.root != platform::kHkeyCurrentUser) {
    return std::nullopt;
  }
  std::wstring upper = ToUpperText(key.subKey);
  if (upper.rfind(kClassesPath, 0) != 0 ||
      (upper.size() > kClassesPath.size() && upper[kClassesPath.size()] != L'\\')) {
    return std::nullopt;
  }
  std::wstring below = key.subKey.substr(std::min(key.subKey.size(), kClassesPath.size() + 1));
  return ClassesPlace{
      key.root == platform::kHkeyCurrentUser ? ClassesPart::User : ClassesPart::Machine,
      std::move(below)};
}

// The keys that hold every class's entries, or the shell's: never one class's own.
bool IsSharedKey(const std::wstring& upperName) {
  static constexpr std::array<std::wstring_view, 18> kShared = {L"CLSID",
                                                                L"APPID",
                                                                L"INTERFACE",
                                                                L"TYPELIB",
                                                                L"WOW6432NODE",
                                                                L"RECORD",
                                                                L"MIME",
                                                                L"INSTALLER",
                                                                L"PROTOCOLS",
                                                                L"COMPONENT CATEGORIES",
                                                                L"MEDIA TYPE",
                                                                L"*",
                                                                L"DIRECTORY",
                                                                L"FOLDER",
                                                                L"SYSTEMFILEASSOCIATIONS",
                                                                L"DRIVE",
                                                                L"APPLICATIONS",
                                                                L"ALLFILESYSTEMOBJECTS"};
  for (std::wstring_view shared : kShared) {
    if (upperName == shared) return true;
  }
  return upperName.empty() || upperName.front() == L'.';  // a file type
}

// A key a removal may take away whole: a class, an application, or a programmatic identifier.
bool IsClassOwnKey(const std::wstring& path) {
  std::wstring upper = ToUpperText(path);
  std::size_t slash = upper.find(L'\\');
  if (slash == std::wstring::npos) return !IsSharedKey(upper);
  std::wstring_view container = std::wstring_view(upper).substr(0, slash);
  std::wstring_view name = std::wstring_view(upper).substr(slash + 1);
  return (container == L"CLSID" || container == L"APPID") && !name.empty() &&
         name.find(L'\\') == std::wstring_view::npos;
}

bool IsBelow(const std::wstring& path, const std::wstring& top) {
  return path.size() > top.size() && path[top.size()] == L'\\' &&
         ToUpperText(std::wstring_view(path).substr(0, top.size())) == ToUpperText(top);
}

}  // namespace

std::variant<ClassesFile, RegFileError> ReadClassesFile(std::string_view bytes) {
  auto parsed = ParseRegFile(bytes);
  if (auto* error = std::get_if<RegFileError>(&parsed)) return *error;
  ClassesFile file{std::move(std::get<ParsedRegFile>(parsed))};
  for (const RegFileKey& key : file.content.keys) {
    if (!PlaceOf(key)) return RegFileError{RegFileProblem::OutsideClasses, key.line};
    bool& named = key.root == platform::kHkeyClassesRoot   ? file.classesRoot
                  : key.root == platform::kHkeyCurrentUser ? file.userClasses
                                                           : file.machineClasses;
    named = true;
  }
  return file;
}

ClassesDone RestoreClasses(const ClassesFile& file, ClassesPart part,
                           platform::Registry& registry) {
  std::vector<RegFileKey> keys;
  for (const RegFileKey& key : file.content.keys) {
    if (PlaceOf(key)->part == part) keys.push_back(key);
  }
  ClassesDone done;
  RegFileRead written;
  done.error = WriteRegFileKeys(keys, registry, &written);
  done.keys = written.keys;
  done.values = written.values;
  return done;
}

ClassesDone RemoveClasses(const ClassesFile& file, ClassesPart part, platform::Registry& registry) {
  // Every key first: a file that names one key it may not remove removes none.
  std::vector<const RegFileKey*> keys;
  std::wstring top;
  for (const RegFileKey& key : file.content.keys) {
    ClassesPlace place = *PlaceOf(key);
    if (place.part != part) continue;
    if (!top.empty() && IsBelow(key.subKey, top)) {
      keys.push_back(&key);
      continue;
    }
    if (key.root == platform::kHkeyClassesRoot || !IsClassOwnKey(place.path)) {
      return {RegFileError{RegFileProblem::OutsideClasses, key.line}};
    }
    top = key.subKey;
    keys.push_back(&key);
  }
  ClassesDone done;
  top.clear();
  bool topRemoved = false;
  for (const RegFileKey* key : keys) {
    if (!top.empty() && IsBelow(key->subKey, top)) {
      done.keys += topRemoved;
      continue;
    }
    top = key->subKey;
    std::int32_t status = DeleteKeyTree(registry, key->root, top);
    topRemoved = status == platform::kRegSuccess;
    if (!topRemoved && status != platform::kRegNotFound) {
      done.error = RegFileError{RegFileProblem::RegistryRefused, key->line, status};
      return done;
    }
    done.keys += topRemoved;
  }
  return done;
}

}  // namespace corvalinde
