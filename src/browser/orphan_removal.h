// Removing what is left of classes whose file is gone, always after a copy of it: which keys
// are a class's own (its CLSID key; its programmatic identifiers only when they name that
// class; its application's key only when no other class names it; never type libraries or
// interfaces, which other classes share), and the backup they are written to first. Portable:
// the browser asks and reports, and hands the machine's part to an elevated host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "browser/module_catalogue.h"
#include "browser/registered_file.h"
#include "platform/registry.h"
#include "registry/reg_file.h"

namespace corvalinde {

struct OrphanClass {
  std::wstring clsid;
  bool user = false;                    // registered under HKEY_CURRENT_USER\Software\Classes
  std::vector<std::wstring> progIds{};  // the identifiers the catalogue listed it under
  ClassServers listed{};                // the servers its file check looked at
};

// The classes of `rows` (indices into the catalogue's rows) whose file is missing, one for each
// class and scope, in the order of the rows.
std::vector<OrphanClass> OrphansAmong(const ModuleCatalogue& catalogue,
                                      const std::vector<std::size_t>& rows);

struct OrphanKey {
  bool user = false;
  std::wstring path;  // below Software\Classes
};

// The classes a look at the registry and the files again left out of a removal.
struct LeftOut {
  std::size_t fileBack = 0;      // a file it names is there now
  std::size_t unverifiable = 0;  // whether its files are there cannot be told now
  std::size_t changed = 0;       // no longer registered as the list showed it
  std::size_t Count() const { return fileBack + unverifiable + changed; }
};

struct RemovalPlan {
  std::vector<OrphanKey> keys;  // each class's keys together, the class's own first
  std::size_t classes = 0;      // those whose keys are planned
  LeftOut leftOut{};
  // Identifiers of these classes that stay: also a file type (something below them, or a
  // ".ext" key, makes them one), or version-independent ones whose CurVer names an identifier
  // of a class that stays.
  std::vector<OrphanKey> fileTypes{};
  std::vector<OrphanKey> currentVersions{};
};

// Looks at each class again as it is registered now, and at its files with `files` (a fresh
// look: nothing remembered from the list), and plans what is left of those still orphaned.
RemovalPlan PlanRemoval(platform::Registry& registry, const std::vector<OrphanClass>& classes,
                        RegisteredFiles& files);

// The key as a .reg file names it: "HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{…}".
std::wstring FullKeyName(const OrphanKey& key);

struct Backup {
  bool written = false;
  std::wstring path;                        // the file, or the folder that could not be made
  bool noFolder = false;                    // the folder is not there and could not be made
  std::uint32_t error = 0;                  // the system's reason when the file was not written
  RegFileStop stopped = RegFileStop::None;  // a key the copy could not hold
  std::wstring stoppedAt{};
  std::string bytes{};  // the file's content, as written
};

// Writes every key of the plan, with everything under it, to a new file in `folder` (made when
// missing, its parent too) named rimozione-<yyyymmdd-hhmmss>.reg after `now`, local time; with
// -2, -3, … when a file of that name is there. A copy that cannot be written whole is not
// written.
Backup WriteBackup(platform::Registry& registry, const RemovalPlan& plan,
                   const std::wstring& folder, const std::tm& now);

// Where the browser keeps its backups: %LOCALAPPDATA%\Corvalinde\Backup.
std::wstring BackupFolder();

// The local time now.
std::tm LocalTimeNow();

}  // namespace corvalinde
