// The few file operations the program needs: opz.dat is read whole and replaced whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalinde::platform {

bool FileExists(const std::wstring& path);

// The first `maxBytes` bytes of the file (all of it when shorter); nullopt when the file cannot
// be opened or read.
std::optional<std::string> ReadFileStart(const std::wstring& path, std::size_t maxBytes);

// Writes `content` to a new file beside `path` and puts it in place of `path` in one step, so a
// failure at any point leaves the earlier file (or its absence) exactly as it was. On failure
// `error` (when given) gets the system's error code.
bool ReplaceFileContent(const std::wstring& path, std::string_view content,
                        std::uint32_t* error = nullptr);

// Copies a file over `to` (replacing it); false when it cannot.
bool CopyFileOver(const std::wstring& from, const std::wstring& to);

}  // namespace corvalinde::platform
