#include "app/win32/cleanup_actions.h"

#include <memory>
#include <string>

#include "browser/cleanup_messages.h"
#include "browser/orphan_removal.h"
#include "common/texts.h"
#include "platform/files.h"
#include "platform/host_launcher.h"
#include "platform/process.h"
#include "platform/win32/common_dialogs.h"
#include "platform/win32/message_boxes.h"
#include "registration/classes_host.h"

namespace corvalinde {
namespace {

class Boxes {
 public:
  explicit Boxes(HWND window) { boxes_.SetOwner(window); }
  void Tell(const std::wstring& text, platform::MessageIcon icon) {
    boxes_.Show({text, icon, platform::MessageButtons::Ok, std::wstring(texts::kProgramTitle)});
  }
  bool Ask(const std::wstring& text) {
    return boxes_.Show({text, platform::MessageIcon::Exclamation, platform::MessageButtons::YesNo,
                        std::wstring(texts::kProgramTitle)}) == platform::MessageAnswer::Yes;
  }

 private:
  platform::win32::SystemMessageBoxes boxes_;
};

platform::MessageIcon IconFor(const ClassesDone& done) {
  return done.error ? platform::MessageIcon::Error : platform::MessageIcon::Information;
}

}  // namespace

bool RemoveOrphans(HWND window, platform::Registry& registry, const ModuleCatalogue& catalogue,
                   const std::vector<std::size_t>& rows) {
  Boxes boxes(window);
  std::unique_ptr<platform::HostLauncher> launcher = platform::MakeSystemHostLauncher();
  const std::wstring activity(texts::kRemovingOrphans);
  // Read here: the catalogue takes the file checks' batches while the plan is made.
  std::vector<OrphanClass> orphans = OrphansAmong(catalogue, rows);
  RemovalPlan plan;
  launcher->RunWhileWaiting(activity, [&] {
    // Every class and its files looked at again, as they are now: nothing the list remembers.
    RegisteredFiles files(SystemFileSearch(registry));
    plan = PlanRemoval(registry, orphans, files);
  });
  if (!plan.classes) {
    boxes.Tell(NothingToRemove(plan), platform::MessageIcon::Information);
    return false;
  }
  if (!boxes.Ask(RemovalQuestion(plan))) return false;
  Backup backup;
  launcher->RunWhileWaiting(
      activity, [&] { backup = WriteBackup(registry, plan, BackupFolder(), LocalTimeNow()); });
  if (!backup.written) {
    boxes.Tell(BackupFailure(backup), platform::MessageIcon::Error);
    return false;
  }
  // What was just written reads back: the removal takes exactly the keys the copy holds.
  auto file = ReadClassesFile(backup.bytes);
  if (auto* error = std::get_if<RegFileError>(&file)) {
    boxes.Tell(RemovalReport(backup, {*error}), platform::MessageIcon::Error);
    return false;
  }
  std::optional<ClassesDone> done = ApplyClassesFile(
      ClassesAction::Remove, std::get<ClassesFile>(file), backup.path, registry,
      {*launcher, platform::ExecutablePath(), platform::ProcessIsElevated(), activity});
  if (!done) {
    boxes.Tell(std::wstring(texts::kNothingRemoved), platform::MessageIcon::Information);
    return false;
  }
  boxes.Tell(RemovalReport(backup, *done), IconFor(*done));
  return true;
}

bool RestoreFromRegFile(HWND window, platform::Registry& registry) {
  Boxes boxes(window);
  platform::win32::SystemDialogs dialogs(window, std::wstring(texts::kOk),
                                         std::wstring(texts::kCancel));
  const std::wstring path = dialogs.OpenFile(
      {std::wstring(texts::kRestoreFilter), platform::kOfnFileMustExist | platform::kOfnNoChangeDir,
       L"", std::wstring(texts::kRestoreTitle)});
  if (path.empty()) return false;
  std::optional<std::string> bytes = platform::ReadFileStart(path, kLargestRegFile + 1);
  if (!bytes || bytes->size() > kLargestRegFile) {
    boxes.Tell(RestoreRefusal(path, std::nullopt), platform::MessageIcon::Error);
    return false;
  }
  auto file = ReadClassesFile(*bytes);
  if (auto* error = std::get_if<RegFileError>(&file)) {
    boxes.Tell(RestoreRefusal(path, *error), platform::MessageIcon::Error);
    return false;
  }
  if (!boxes.Ask(RestoreQuestion(path, std::get<ClassesFile>(file)))) return false;
  std::unique_ptr<platform::HostLauncher> launcher = platform::MakeSystemHostLauncher();
  std::optional<ClassesDone> done =
      ApplyClassesFile(ClassesAction::Restore, std::get<ClassesFile>(file), path, registry,
                       {*launcher, platform::ExecutablePath(), platform::ProcessIsElevated(),
                        std::wstring(texts::kRestoringFrom) + path});
  if (!done) {
    boxes.Tell(std::wstring(texts::kNothingWritten), platform::MessageIcon::Information);
    return false;
  }
  boxes.Tell(RestoreReport(path, *done), IconFor(*done));
  return true;
}

}  // namespace corvalinde
