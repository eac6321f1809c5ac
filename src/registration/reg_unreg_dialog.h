// frmRegUnreg's behaviour: a ";"-separated list of module files, registered or unregistered
// one by one with a single summary at the end. The Win32 view only draws it and forwards events.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/common_dialogs.h"
#include "platform/message_boxes.h"
#include "platform/registry.h"
#include "registration/outcome_table.h"
#include "registration/reg_unreg_module.h"
#include "registration/results_view.h"

namespace corvalinde {

// The file names of a list: ";" ends a name unless the name so far is blank, and a blank name
// is dropped. Names keep their blanks; only the blank (code 32) counts as blank.
std::vector<std::wstring> SplitFileList(std::wstring_view text);

class RegUnregDialog {
 public:
  // `elevated` false: files refused for want of administrator rights are marked in the summary,
  // which offers one elevated retry for all of them.
  // `registry`: where captures are read from and removed (none: "Cattura" does nothing).
  RegUnregDialog(Registrar& registrar, platform::MessageBoxes& boxes,
                 platform::CommonDialogs& dialogs, bool elevated = true,
                 platform::Registry* registry = nullptr)
      : registrar_(registrar),
        boxes_(boxes),
        dialogs_(dialogs),
        elevated_(elevated),
        registry_(registry) {}

  // txtFilename's text and the option group; a new dialog starts empty with "Registra".
  std::wstring fileList;
  bool unregister = false;
  bool capture = false;  // "Cattura (.reg)": wins over `unregister`
  bool verify = false;   // "Verifica": wins over `unregister`; a capture wins over it
  bool perUser = false;  // "Solo per l'utente corrente"

  // Runs the engine on every listed file (without the blanks around it), then shows one summary;
  // files refused for want of rights are offered one retry as administrator, and the summary
  // shown again. A capture first asks where to save: the first file's capture goes to the name
  // chosen, the others beside it, each named after its module. A verification reads only (no
  // retry): a line for each file, and what it found listed in the results window.
  void Avvia();
  // Where a summary goes when it has more than `mostBoxLines` lines (none: always a box).
  void SetLongResults(ResultsView* view, std::size_t mostBoxLines) {
    results_ = view;
    mostBoxLines_ = mostBoxLines;
  }
  void Cerca();  // replaces the list with the chosen file, unless the user cancels
  void Drop(const std::vector<std::wstring>& paths);  // replaces the list with the dropped files

  // One file's run, as the summary tells it.
  struct FileOutcome {
    std::wstring file;
    std::wstring line{};  // the summary's lines for it, each ending in CRLF
    bool done = false;
    bool refused = false;                  // for want of administrator rights: retried on request
    std::wstring_view outcome{};           // its word in the results list, when not done's
    std::vector<std::wstring> findings{};  // a verification's, each a row of the list
  };

 private:
  // The captures' files for `files`, after asking where; empty when the user cancels.
  std::vector<std::wstring> CaptureFiles(const std::vector<std::wstring>& files);
  // Shows the summary of `outcomes`: in a box, or in the results list when it has more lines
  // than a box can show. With `offerRetry`, the refused files are marked and the user asked
  // whether to retry them; true when the answer is yes.
  bool Report(const std::vector<FileOutcome>& outcomes, bool offerRetry);

  Registrar& registrar_;
  platform::MessageBoxes& boxes_;
  platform::CommonDialogs& dialogs_;
  bool elevated_;
  platform::Registry* registry_;
  ResultsView* results_ = nullptr;
  std::size_t mostBoxLines_ = 0;
};

}  // namespace corvalinde
