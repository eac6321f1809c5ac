// Registry Editor's export format ("Windows Registry Editor Version 5.00"), the part of it that
// an export writes: keys in brackets, values as "name"=data with @ for the default value,
// strings quoted, dword:, and hex: / hex(n): byte lists continued past 80 columns with "\".
// The file is UTF-16LE after a byte-order mark, lines end in CRLF. What the writer writes the
// reader reads back byte for byte, value types and all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/registry.h"

namespace corvalinde {

// A key whose sub-keys and values are written under another name: a scratch key standing in
// for HKEY_CLASSES_ROOT is written as "HKEY_CLASSES_ROOT".
struct RegFileRoot {
  platform::RegKey key = 0;
  std::wstring subKey;  // under `key`; empty: the key itself
  std::wstring name;    // what the file calls it
  // Its own line even without values: a backup must give back an empty key too.
  bool listed = false;
};

// Why a writing stopped before the end: a key that is a symbolic link (never followed: it may
// lead back up, or out of the tree), keys nested deeper than Windows allows, or a text past
// kLargestRegFile.
enum class RegFileStop { None, Link, TooDeep, TooLarge };

inline constexpr std::size_t kLargestRegFile = std::size_t{64} << 20;  // bytes of the file

struct RegFileText {
  std::wstring text;
  std::size_t keys = 0;    // bracketed key lines written
  std::size_t values = 0;  // value lines written
  RegFileStop stopped = RegFileStop::None;
  std::wstring stoppedAt{};  // the key, as the file names it
  // The keys written that hold neither values nor keys, as the file names them, in file order.
  std::vector<std::wstring> emptyKeys{};
};

// Everything under each root, depth first in the registry's order. A root's own line is written
// only when it holds values (or is `listed`); every key below it is written, empty or not, as
// Registry Editor does. A root that does not exist writes nothing. A stop leaves the text
// unfinished: it is for no file. `keep`, when given, says which values go into the text: the key as
// the file names it, the value's name (empty for the default), type and data.
using RegFileFilter =
    std::function<bool(const std::wstring& key, const std::wstring& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data)>;
RegFileText WriteRegFile(platform::Registry& registry, const std::vector<RegFileRoot>& roots,
                         const RegFileFilter& keep = {});

// One value as its line (without the CRLF): `name` empty for the default value.
std::wstring RegFileValueLine(std::wstring_view name, std::uint32_t type,
                              const std::vector<std::uint8_t>& data);

// The file's bytes: the byte-order mark and the text in UTF-16LE.
std::string RegFileBytes(std::wstring_view text);

enum class RegFileProblem {
  NotRegFile,   // no byte-order mark or no "Windows Registry Editor Version 5.00" first
  UnknownRoot,  // a key line that names no root this reader knows
  BadLine,      // a line that is neither a key, a value, a comment nor blank
  BadData,      // a value whose data cannot be read (bad hex, a dword too long, ...)
  NoKey,        // a value before any key
  Unsupported,  // a deletion ("[-key]" or "name"=-): exports never hold them
  RegistryRefused,
  OutsideClasses,     // a key where no COM class lives, or (removing) one that is no class's own
  ChangedSinceShown,  // the file is no longer the one the user was shown: nothing was done
};

struct RegFileError {
  RegFileProblem problem;
  std::size_t line;         // from 1; for NotRegFile, 1
  std::int32_t status = 0;  // the registry's, for RegistryRefused
};

struct RegFileRead {
  std::size_t keys = 0;
  std::size_t values = 0;
};

// A file as the reader understood it, nothing written yet: its keys (with HKEY_CLASSES_ROOT,
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG or their short names
// as roots) in the file's order, each with its values; lines count from 1.
struct RegFileValue {
  std::wstring name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  std::size_t line = 0;
};
struct RegFileKey {
  std::size_t line = 0;
  platform::RegKey root = 0;
  std::wstring subKey;
  std::vector<RegFileValue> values;
};
struct ParsedRegFile {
  std::vector<RegFileKey> keys;
  std::size_t values = 0;
};
// The whole file, or its first problem.
std::variant<ParsedRegFile, RegFileError> ParseRegFile(std::string_view bytes);

// Creates each key and sets its values, in order; stops at the first refusal (RegistryRefused,
// with the line of the key or value refused), what came before it staying written.
std::optional<RegFileError> WriteRegFileKeys(const std::vector<RegFileKey>& keys,
                                             platform::Registry& registry,
                                             RegFileRead* read = nullptr);

// Both: a file with a problem anywhere writes nothing.
std::optional<RegFileError> ReadRegFile(std::string_view bytes, platform::Registry& registry,
                                        RegFileRead* read = nullptr);

}  // namespace corvalinde
