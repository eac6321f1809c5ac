// The system's small modal dialogs: the file-open and file-save dialogs and a one-line input box.
//
// OpenFile shows the file-open dialog and returns the chosen path, or an empty text when the
// user cancels. The filter is written "Description|pattern|Description|pattern". SaveFile is
// the same with the save dialog, which asks before replacing a file, gives a name typed
// without an extension the chosen type's, and says which type was chosen.
// InputBox asks for one line of text; an empty text when the user cancels or leaves it empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvalinde::platform {

inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;
// The current folder stays where it was, not the chosen file's (which could not be deleted).
inline constexpr std::uint32_t kOfnNoChangeDir = 0x0008;

struct OpenFileRequest {
  std::wstring filter;
  std::uint32_t flags = 0;
  std::wstring fileName;
  std::wstring title;
};

struct SavedFile {
  std::wstring path;     // empty: cancelled
  std::size_t type = 0;  // the filter's pair chosen, counted from 0
};

class CommonDialogs {
 public:
  virtual ~CommonDialogs() = default;
  virtual std::wstring OpenFile(const OpenFileRequest& request) = 0;
  virtual SavedFile SaveFile(const OpenFileRequest& request) = 0;
  virtual std::wstring InputBox(const std::wstring& prompt, const std::wstring& title,
                                const std::wstring& defaultText) = 0;
};

}  // namespace corvalinde::platform
