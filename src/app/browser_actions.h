// What the browser does to the machine and to files, apart from its window: removing what is
// left of classes whose file is gone (looked at again, asked, backed up, then removed),
// writing a .reg file of classes back (read, shown and asked first), unregistering a module,
// and exporting the rows shown. The machine's keys go through an elevated host when this
// process has no administrator rights: one prompt, and refusing it does nothing. Portable: the
// Win32 view hands it its boxes, dialogs and host launcher, and loads the list again when an
// action says the registry may have changed.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "browser/module_catalogue.h"
#include "browser/registered_file.h"
#include "platform/common_dialogs.h"
#include "platform/host_launcher.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "registration/reg_unreg_module.h"
#include "registration/results_view.h"
#include "registration/verification.h"

namespace corvalinde {

struct BrowserServices {
  platform::Registry& registry;
  platform::MessageBoxes& boxes;
  platform::CommonDialogs& dialogs;
  // Elevated classes hosts, and the waits that keep the windows alive meanwhile.
  platform::HostLauncher& launcher;
  Registrar& registrar;  // unregistering a module
  std::wstring program;  // what a classes host is started from
  bool elevated = false;
  std::wstring backupFolder;
  std::function<std::tm()> now;            // the backup's name
  std::function<FileSearch()> fileSearch;  // the clean-up's look again at the files
  // Where a report too long for a box goes, or one that lists findings (none: always a box).
  ResultsView* results = nullptr;
  std::size_t mostBoxLines = 0;
};

class BrowserActions {
 public:
  explicit BrowserActions(BrowserServices services) : services_(std::move(services)) {}

  // For the classes of `rows` (indices into the catalogue's rows) whose file is missing; true
  // when the registry may have changed.
  bool RemoveOrphans(const ModuleCatalogue& catalogue, const std::vector<std::size_t>& rows);
  // Asks for the file; true when the registry may have changed.
  bool Restore();
  // Asks, then unregisters `file` as the register/unregister dialog would, showing the outcome;
  // true when it ran. The path is a copy: the row it comes from may be gone once the messages
  // that run meanwhile have run.
  bool Unregister(std::wstring file);
  // Compares the registration of `file` in `scope` with what the module writes and shows what
  // was found; when it is incomplete, offers "Registra di nuovo": the module is registered (one
  // elevation prompt when needed) and verified again. True when the registry may have changed.
  bool Verify(std::wstring file, RegistrationScope scope);
  // Asks where; writes the rows shown as CSV or HTML, by the type chosen (a name without an
  // extension gets that type's). A failure is shown.
  void ExportShownRows(const ModuleCatalogue& catalogue);

 private:
  void Tell(const std::wstring& text, platform::MessageIcon icon);
  bool Ask(const std::wstring& text);
  // True when "Registra di nuovo" was offered and chosen.
  bool ShowVerification(const Verification& verification, const std::wstring& file, bool offer);

  BrowserServices services_;
};

}  // namespace corvalinde
