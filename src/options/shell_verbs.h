// The "Registra" and "Unregistra" verbs of Explorer's context menu, for every extension of the
// settings: HKEY_CLASSES_ROOT\<ext>file\shell\<verb>\command starts this program's command-line
// mode on the file. Failures are ignored entry by entry; nothing is reported. An entry that is
// not a valid extension name (extension_name.h) is passed over: nothing is written or deleted
// for it.
#pragma once

#include <string>
#include <vector>

#include "options/opzioni.h"
#include "platform/registry.h"

namespace corvalinde {

// The path the program writes into the registry: its folder and the fixed name Corvalinde.exe,
// whatever name it runs under.
std::wstring ProgramPath(const std::wstring& executableFolder);

// The class a file extension's verbs go under: the entry trimmed, lower case, then "file".
std::wstring FileClassName(const std::wstring& extension);

// The command a verb stores: the program path in quotes (a path with blanks must not be read
// as a shorter program), then the switches, with %1 bare: a switch value runs to the next "/",
// so quotes around the file would become part of its name.
std::wstring VerbCommand(const std::wstring& programPath, wchar_t mode);

// Where HKEY_CLASSES_ROOT refuses the verbs (no administrator rights), they are written under
// HKEY_CURRENT_USER\Software\Classes instead, with the same key path and command, so they
// appear for this user. An extension tied to no class at all (no default value for
// ".<ext>") is tied to its class in the same place; an existing tie is never changed.
void CreateShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions,
                      const std::wstring& programPath);
// Removes the verbs from both places.
void RemoveShellVerbs(platform::Registry& registry, const std::vector<std::wstring>& extensions);
// The same, but only the verbs whose command starts the program at `programPath`: those of a
// copy elsewhere (a portable one, another install) stay.
void RemoveShellVerbsOf(platform::Registry& registry, const std::vector<std::wstring>& extensions,
                        const std::wstring& programPath);

// Whether a stored command (a verb's, the start-up entry's) starts the program at
// `programPath`: its quoted path first, naming the same file (registry/same_path.h).
bool CommandStarts(platform::Registry& registry, const std::wstring& command,
                   const std::wstring& programPath);

// The key under a classes root that names an extension's file type: "." and the name.
std::wstring ExtensionKey(const std::wstring& extension);

// What a start in tray mode does with the settings: removes the verbs of every listed extension
// and writes them again when the association is set (-1, as the options dialog reads it), so
// an unticked association stays unticked.
void RefreshShellVerbs(platform::Registry& registry, const Opzioni& settings,
                       const std::wstring& programPath);

}  // namespace corvalinde
