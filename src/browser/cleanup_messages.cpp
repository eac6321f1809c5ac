#include "browser/cleanup_messages.h"

#include <vector>

#include "common/first_lines.h"
#include "common/join.h"
#include "common/texts.h"
#include "platform/system_errors.h"

namespace corvalinde {
namespace {

std::wstring_view ProblemText(RegFileProblem problem) {
  switch (problem) {
    case RegFileProblem::NotRegFile:
      return texts::kRegNotRegFile;
    case RegFileProblem::UnknownRoot:
      return texts::kRegUnknownRoot;
    case RegFileProblem::BadLine:
      return texts::kRegBadLine;
    case RegFileProblem::BadData:
      return texts::kRegBadData;
    case RegFileProblem::NoKey:
      return texts::kRegNoKey;
    case RegFileProblem::Unsupported:
      return texts::kRegUnsupported;
    case RegFileProblem::OutsideClasses:
      return texts::kRegOutsideClasses;
    case RegFileProblem::RegistryRefused:
      break;
  }
  return texts::kRegRefused;
}

std::wstring Count(std::size_t number) {
  return std::to_wstring(number);
}

}  // namespace

std::wstring RegFileErrorText(const RegFileError& error) {
  std::wstring text = error.line ? Join({texts::kAtLine, Count(error.line), L": "}) : L": ";
  text += ProblemText(error.problem);
  if (error.problem == RegFileProblem::RegistryRefused) {
    text += platform::SystemErrorText(static_cast<std::uint32_t>(error.status));
  }
  return text;
}

std::wstring RemovalQuestion(const RemovalPlan& plan) {
  std::vector<std::wstring> keys;
  for (const OrphanKey& key : plan.keys) keys.push_back(FullKeyName(key));
  return Join({texts::kAskRemoveStart, Count(plan.classes), texts::kAskRemoveEnd}) +
         FirstLines(keys, 15, L"", texts::kAndOtherKeys);
}

std::wstring BackupFailure(const Backup& backup) {
  std::wstring why;
  switch (backup.stopped) {
    case RegFileStop::Link:
      why = Join({texts::kBackupLink, backup.stoppedAt});
      break;
    case RegFileStop::TooDeep:
      why = Join({texts::kBackupTooDeep, backup.stoppedAt});
      break;
    case RegFileStop::TooLarge:
      why = Join({texts::kBackupTooLarge, backup.stoppedAt});
      break;
    case RegFileStop::None:
      why = backup.noFolder
                ? Join({texts::kBackupNoFolder, backup.path})
                : Join({backup.path, texts::kCrLf, platform::SystemErrorText(backup.error)});
      break;
  }
  return Join({texts::kBackupFailed, texts::kCrLf, why});
}

std::wstring RemovalReport(const RemovalPlan& plan, const Backup& backup, const ClassesDone& done) {
  if (done.error) {
    return Join({texts::kRemovalStopped, backup.path, L")", RegFileErrorText(*done.error),
                 texts::kCrLf, texts::kKeysRemoved, Count(done.keys)});
  }
  return Join({texts::kRemovedStart, Count(plan.classes), texts::kRemovedClasses, Count(done.keys),
               texts::kRemovedKeys, backup.path});
}

std::wstring RestoreQuestion(const std::wstring& path, const ClassesFile& file) {
  std::wstring text =
      Join({texts::kAskRestoreStart, path, texts::kAskRestoreKeys, Count(file.content.keys.size()),
            texts::kAskRestoreValues, Count(file.content.values), texts::kAskRestoreRoots});
  if (file.classesRoot) text += Join({texts::kCrLf, L"HKEY_CLASSES_ROOT"});
  if (file.machineClasses) text += Join({texts::kCrLf, L"HKEY_LOCAL_MACHINE\\Software\\Classes"});
  if (file.userClasses) text += Join({texts::kCrLf, L"HKEY_CURRENT_USER\\Software\\Classes"});
  return text;
}

std::wstring RestoreRefusal(const std::wstring& path, const std::optional<RegFileError>& error) {
  return Join({texts::kRestoreRefused, path,
               error ? RegFileErrorText(*error) : std::wstring(texts::kRestoreUnreadable)});
}

std::wstring RestoreReport(const std::wstring& path, const ClassesDone& done) {
  std::wstring written = Join({texts::kRestoredStart, Count(done.keys), texts::kRestoredKeys,
                               Count(done.values), texts::kRestoredValues, path});
  if (!done.error) return written;
  return Join({texts::kRestoreStopped, path, RegFileErrorText(*done.error), texts::kCrLf, written});
}

}  // namespace corvalinde
