#include "registration/reg_unreg_dialog.h"

#include "registration/architecture_handoff.h"
#include "common/blanks.h"
#include "common/error_text.h"
#include "common/texts.h"

namespace corvalinde {
namespace {}  // namespace

std::vector<std::wstring> SplitFileList(std::wstring_view text) {
  std::vector<std::wstring> items;
  std::wstring current;
  for (wchar_t c : text) {
    if (c != L';') {
      current.push_back(c);
    } else if (!IsBlank(current)) {
      items.push_back(std::move(current));
      current.clear();
    }
    // A ";" after nothing but blanks is dropped, and the blanks stay with the next name.
  }
  if (!IsBlank(current)) items.push_back(std::move(current));
  return items;
}

std::wstring SummaryLine(const RegistrationResult& result, const std::wstring& file) {
  std::wstring crlf(texts::kCrLf);
  switch (result.outcome) {
    case RegDone:
      return std::wstring(texts::kLineDone) + file + crlf;
    case RegEntryMissing:
      return std::wstring(texts::kLineEntryMissing) + file + crlf;
    case RegTimeout:
      return std::wstring(texts::kLineTimeout) + file + crlf;
    case RegModuleInvalid:
      return std::wstring(texts::kLineInvalidLabel) + file + std::wstring(texts::kLineInvalid) +
             ReasonLine(result.loadError, file) + crlf;
    case RegEntryFailed:
      return std::wstring(texts::kLineFailed) + file + std::wstring(texts::kLineFailedCode) +
             Hex8(result.entryStatus) + L")" +
             ReasonLine(static_cast<std::uint32_t>(result.entryStatus), file) + crlf;
    case RegWrongArchitecture:
      return WrongArchitectureLine(result.architecture, file);
    case RegCrashed:
      return std::wstring(texts::kLineFailed) + file + std::wstring(texts::kLineCrashedCode) +
             Hex8(static_cast<std::int32_t>(result.crashCode)) + L")" + crlf;
    case RegWrongTwin:
      return std::wstring(texts::kLineInvalidLabel) + file + L": " +
             WrongTwinText(result.twin, result.architecture) + crlf;
    case RegScopeFailed:
      return std::wstring(texts::kLineInvalidLabel) + file +
             std::wstring(texts::kLineUserScopeFailed) + ReasonLine(result.loadError, file) + crlf;
  }
  return {};
}

void RegUnregDialog::Avvia() {
  std::vector<std::wstring> files = SplitFileList(fileList);
  if (files.empty()) {
    boxes_.Show({std::wstring(texts::kFileNameMissing), platform::MessageIcon::Exclamation,
                 platform::MessageButtons::Ok, std::wstring(texts::kTitleError)});
    return;
  }
  const std::wstring mode = unregister ? L"U" : L"R";
  const RegistrationScope scope = perUser ? RegistrationScope::User : RegistrationScope::Machine;
  std::wstring summary;
  std::vector<std::wstring> refused;  // for want of administrator rights
  for (const std::wstring& item : files) {
    // "a.dll; b.dll" is how people type lists: the blank after ";" belongs to no file name
    // (Windows drops trailing blanks itself, and a leading one would make the path relative).
    std::wstring file(TrimBlanks(item));
    RegistrationResult result = registrar_.Run(file, mode, scope);
    if (!elevated_ && scope == RegistrationScope::Machine && NeedsAdministrator(result)) {
      refused.push_back(file);
      summary += texts::kNeedsAdministratorMark;
    }
    summary += SummaryLine(result, file);
  }
  if (refused.empty()) {
    boxes_.Show({summary, platform::MessageIcon::Information, platform::MessageButtons::Ok,
                 std::wstring(texts::kTitleInfo)});
    return;
  }
  if (boxes_.Show({summary + std::wstring(texts::kAskElevationForMarked),
                   platform::MessageIcon::Exclamation, platform::MessageButtons::YesNo,
                   std::wstring(texts::kTitleInfo)}) != platform::MessageAnswer::Yes) {
    return;
  }
  std::wstring retried;
  for (const std::wstring& file : refused) {
    std::optional<RegistrationResult> result = registrar_.RunAsAdministrator(file, mode, scope);
    if (!result) return;  // the elevation prompt was refused: nothing more to say
    retried += SummaryLine(*result, file);
  }
  boxes_.Show({retried, platform::MessageIcon::Information, platform::MessageButtons::Ok,
               std::wstring(texts::kTitleInfo)});
}

void RegUnregDialog::Cerca() {
  std::wstring chosen =
      dialogs_.OpenFile({std::wstring(texts::kBrowseFilter), platform::kOfnFileMustExist, L"",
                         std::wstring(texts::kBrowseTitle)});
  if (!chosen.empty()) fileList = chosen + L";";
}

void RegUnregDialog::Drop(const std::vector<std::wstring>& paths) {
  fileList.clear();
  for (const std::wstring& path : paths) fileList += path + L";";
}

}  // namespace corvalinde
