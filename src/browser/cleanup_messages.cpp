#include "browser/cleanup_messages.h"

#include <utility>
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
    case RegFileProblem::ChangedSinceShown:
      return texts::kChangedSinceShown;
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

namespace {

std::vector<std::wstring> FullNames(const std::vector<OrphanKey>& keys) {
  std::vector<std::wstring> names;
  for (const OrphanKey& key : keys) names.push_back(FullKeyName(key));
  return names;
}

// The classes a look again left out, a line for each reason.
std::wstring LeftOutLines(const LeftOut& leftOut) {
  std::wstring lines;
  const std::pair<std::size_t, std::wstring_view> reasons[] = {
      {leftOut.fileBack, texts::kLeftOutFileBack},
      {leftOut.unverifiable, texts::kLeftOutUnverifiable},
      {leftOut.changed, texts::kLeftOutChanged}};
  for (const auto& [count, why] : reasons) {
    if (count) lines += Join({texts::kCrLf, texts::kLeftOutStart, Count(count), why});
  }
  return lines;
}

// What stays of these classes because another use shares it.
std::wstring KeptLines(const RemovalPlan& plan) {
  std::wstring lines;
  if (!plan.fileTypes.empty()) {
    lines += Join({texts::kCrLf, texts::kLeftAsFileTypes}) +
             FirstLines(FullNames(plan.fileTypes), 15, L"", texts::kAndOtherKeys);
  }
  if (!plan.currentVersions.empty()) {
    lines += Join({texts::kCrLf, texts::kLeftAsCurrentVersion}) +
             FirstLines(FullNames(plan.currentVersions), 15, L"", texts::kAndOtherKeys);
  }
  return lines;
}

}  // namespace

std::wstring RemovalQuestion(const RemovalPlan& plan) {
  return Join({texts::kAskRemoveStart, Count(plan.classes), texts::kAskRemoveEnd}) +
         FirstLines(FullNames(plan.keys), 15, L"", texts::kAndOtherKeys) + KeptLines(plan) +
         LeftOutLines(plan.leftOut);
}

std::wstring NothingToRemove(const RemovalPlan& plan) {
  return std::wstring(texts::kNoOrphans) + LeftOutLines(plan.leftOut);
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

std::wstring RemovalReport(const Backup& backup, const ClassesDone& done) {
  if (done.error && done.error->problem == RegFileProblem::ChangedSinceShown && !done.keys) {
    return std::wstring(texts::kChangedSinceShown);
  }
  if (done.error) {
    return Join({texts::kRemovalStopped, backup.path, L")", RegFileErrorText(*done.error),
                 texts::kCrLf, texts::kKeysRemoved, Count(done.keys)});
  }
  return Join({texts::kRemovedStart, Count(done.classes), texts::kRemovedClasses, Count(done.keys),
               texts::kRemovedKeys, backup.path});
}

std::wstring RestoreQuestion(const std::wstring& path, const ClassesFile& file) {
  std::vector<std::wstring> keys;
  for (const RegFileKey& key : file.content.keys) keys.push_back(WrittenKeyName(key));
  return Join({texts::kAskRestoreStart, path, texts::kAskRestoreKeys,
               Count(file.content.keys.size()), texts::kAskRestoreValues,
               Count(file.content.values), texts::kAskRestoreListed}) +
         FirstLines(keys, 15, L"", texts::kAndOtherKeys);
}

std::wstring RestoreRefusal(const std::wstring& path, const std::optional<RegFileError>& error) {
  return Join({texts::kRestoreRefused, path,
               error ? RegFileErrorText(*error) : std::wstring(texts::kRestoreUnreadable)});
}

std::wstring RestoreReport(const std::wstring& path, const ClassesDone& done) {
  if (done.error && done.error->problem == RegFileProblem::ChangedSinceShown && !done.keys) {
    return std::wstring(texts::kChangedSinceShown);
  }
  std::wstring written = Join({texts::kRestoredStart, Count(done.keys), texts::kRestoredKeys,
                               Count(done.values), texts::kRestoredValues, path});
  if (!done.error) return written;
  return Join({texts::kRestoreStopped, path, RegFileErrorText(*done.error), texts::kCrLf, written});
}

}  // namespace corvalinde
