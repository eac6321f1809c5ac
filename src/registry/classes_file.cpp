#include "registry/classes_file.h"

#include <optional>
#include <string>

#include "common/letter_case.h"
#include "common/sha256.h"
#include "platform/registry_key.h"

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
  constexpr std::wstring_view kShared =
      L"|CLSID|APPID|INTERFACE|TYPELIB|WOW6432NODE|RECORD|MIME|INSTALLER|PROTOCOLS|"
      L"COMPONENT CATEGORIES|MEDIA TYPE|*|DIRECTORY|FOLDER|SYSTEMFILEASSOCIATIONS|DRIVE|"
      L"APPLICATIONS|ALLFILESYSTEMOBJECTS|";
  if (kShared.find(L"|" + upperName + L"|") != std::wstring_view::npos) return true;
  return upperName.empty() || upperName.front() == L'.';  // a file type
}

bool IsBelow(const std::wstring& path, const std::wstring& top) {
  return path.size() > top.size() && path[top.size()] == L'\\' &&
         ToUpperText(std::wstring_view(path).substr(0, top.size())) == ToUpperText(top);
}

}  // namespace

bool IsClassOwnKey(const std::wstring& path) {
  std::wstring upper = ToUpperText(path);
  std::size_t slash = upper.find(L'\\');
  if (slash == std::wstring::npos) return !IsSharedKey(upper);
  std::wstring_view container = std::wstring_view(upper).substr(0, slash);
  std::wstring_view name = std::wstring_view(upper).substr(slash + 1);
  return (container == L"CLSID" || container == L"APPID") && !name.empty() &&
         name.find(L'\\') == std::wstring_view::npos;
}

std::variant<ClassesFile, RegFileError> ReadClassesFile(std::string_view bytes) {
  auto parsed = ParseRegFile(bytes);
  if (auto* error = std::get_if<RegFileError>(&parsed)) return *error;
  ClassesFile file{std::move(std::get<ParsedRegFile>(parsed)), Sha256Hex(bytes)};
  for (const RegFileKey& key : file.content.keys) {
    if (!PlaceOf(key)) return RegFileError{RegFileProblem::OutsideClasses, key.line};
    bool& named = key.root == platform::kHkeyClassesRoot   ? file.classesRoot
                  : key.root == platform::kHkeyCurrentUser ? file.userClasses
                                                           : file.machineClasses;
    named = true;
  }
  return file;
}

RegFileKey WrittenKey(const RegFileKey& key) {
  if (key.root != platform::kHkeyClassesRoot) return key;
  RegFileKey written = key;
  written.root = platform::kHkeyLocalMachine;
  written.subKey = L"Software\\Classes" + (key.subKey.empty() ? L"" : L"\\" + key.subKey);
  return written;
}

std::wstring WrittenKeyName(const RegFileKey& key) {
  const RegFileKey written = WrittenKey(key);
  const wchar_t* root =
      written.root == platform::kHkeyCurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
  return written.subKey.empty() ? root : root + (L"\\" + written.subKey);
}

ClassesDone RestoreClasses(const ClassesFile& file, ClassesPart part,
                           platform::Registry& registry) {
  std::vector<RegFileKey> keys;
  for (const RegFileKey& key : file.content.keys) {
    if (PlaceOf(key)->part == part) keys.push_back(WrittenKey(key));
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
  const RegFileKey* top = nullptr;
  for (const RegFileKey& key : file.content.keys) {
    ClassesPlace place = *PlaceOf(key);
    if (place.part != part) continue;
    if (!top || key.root != top->root || !IsBelow(key.subKey, top->subKey)) {
      if (key.root == platform::kHkeyClassesRoot || !IsClassOwnKey(place.path)) {
        return {RegFileError{RegFileProblem::OutsideClasses, key.line}};
      }
      top = &key;
    }
    keys.push_back(&key);
  }
  // The file lists a key before those under it: backwards, each key is empty when its turn
  // comes, unless something was put in it since the copy, which is then not removed. A link
  // is removed itself, never followed.
  ClassesDone done;
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
    platform::RegistryKey opened(registry);
    std::int32_t status =
        registry.OpenKeyItself((*key)->root, (*key)->subKey, platform::kKeyDelete, *opened.Out());
    if (status == platform::kRegNotFound) continue;  // gone already
    if (status == platform::kRegSuccess) status = registry.DeleteOpenKey(opened.get());
    if (status != platform::kRegSuccess) {
      done.error = RegFileError{RegFileProblem::RegistryRefused, (*key)->line, status};
      return done;
    }
    ++done.keys;
    const std::wstring path = PlaceOf(**key)->path;
    const std::size_t slash = path.find(L'\\');
    done.classes += slash != std::wstring::npos &&
                    path.find(L'\\', slash + 1) == std::wstring::npos &&
                    ToUpperText(path.substr(0, slash)) == L"CLSID";
  }
  return done;
}

}  // namespace corvalinde
