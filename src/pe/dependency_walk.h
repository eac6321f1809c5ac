// What a module needs that the system would not find, told from its files alone: each DLL it
// imports is looked for where the loader looks (the module's folder, then the folders
// DllSearchFolders gives), and the DLLs found are read in turn, each file once. API sets
// (api-ms-win-*, ext-ms-*) are the system's own and count as present.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pe/pe_image.h"

namespace corvalinde::pe {

struct DependencyProblem {
  enum class Kind {
    MissingDll,       // no file of that name where the loader looks
    MissingFunction,  // the DLL is there but does not export the function
    OtherMachine,     // the DLL found is built for another processor (machine)
    NotAModule,       // the file found is not a PE image
  };
  Kind kind = Kind::MissingDll;
  std::wstring dll;
  std::wstring importer;      // the file name of the module or dependency that imports it
  std::wstring function;      // for MissingFunction: its name, or "#n"
  std::uint16_t machine = 0;  // for OtherMachine
  bool delayed = false;       // imported to be loaded at first use
};

struct DependencyReport {
  std::optional<PeImage> module;  // nothing: the module itself is not a PE image (or unreadable)
  std::vector<DependencyProblem> problems;
  bool searched = true;  // false: nowhere to look for the DLLs of a module of this kind
  std::size_t filesRead = 0;
};

// How deep the walk goes below the module: deep enough for the chains of real modules, and it
// stops a pathological tree early. The files it reads, and what it reads of them, are bounded
// for the whole walk (pe::ReadBudget), so a crafted file costs little.
inline constexpr std::size_t kDeepestDependency = 8;
inline constexpr std::size_t kMostFilesRead = 1024;

// `searchFolders` come after the module's own folder. A delay-loaded DLL is looked for only
// when the module itself names it (a dependency's delay loads are not the module's concern).
// Each problem is told once.
DependencyReport WalkDependencies(const std::wstring& modulePath,
                                  const std::vector<std::wstring>& searchFolders,
                                  std::size_t deepest = kDeepestDependency);

// True for the names of the system's API sets.
bool IsApiSet(std::string_view dllName);

}  // namespace corvalinde::pe
