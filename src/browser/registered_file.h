// Whether the file a registration points at is there: the module path as written, or the
// program a LocalServer32 command line starts, with environment variables expanded. Users open
// the browser mostly to find registrations whose files are gone.
#pragma once

#include <functional>
#include <string>

namespace corvalinde {

using FileTest = std::function<bool(const std::wstring&)>;
using Expander = std::function<std::wstring(const std::wstring&)>;  // %NAME% references

// The program a command line starts: a quoted path is the text between the quotes; an unquoted
// one that has blanks is taken as Windows takes it, the shortest prefix up to a blank that
// names an existing file (also with ".exe" added), else up to ".exe", else up to the first
// blank.
std::wstring ProgramOfCommandLine(const std::wstring& commandLine, const FileTest& exists);

// The file of a row's module cell, or of its executable cell (a command line), environment
// variables expanded first; quotes and blanks around a module path are removed too.
std::wstring RegisteredFile(const std::wstring& cell, bool commandLine, const FileTest& exists,
                            const Expander& expand);

// "file mancante", "32 bit", "64 bit", or nothing (no file named, or not a PE image).
std::wstring FileStatus(const std::wstring& path, const FileTest& exists);

}  // namespace corvalinde
