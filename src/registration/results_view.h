// A summary too long for a message box (more lines than fit on the screen), or one with findings
// to list, is shown as a list instead: one row per file (or finding), its outcome and the
// summary's words, and, when something is offered (a retry as administrator, registering
// again), the question with a button to say yes.
#pragma once

#include <string>
#include <vector>

namespace corvalinde {

struct ResultRow {
  std::wstring file;
  std::wstring outcome;  // "riuscita", "non riuscita", "completa"…; empty for a finding's row
  std::wstring detail;   // the summary's line for the file, on one line
};

class ResultsView {
 public:
  virtual ~ResultsView() = default;
  // Shows the rows and the tally ("n riuscite, m non riuscite") until the user closes them;
  // with a `question`, that question too and a button captioned `answer`, which closes them as
  // well. True when the user pressed it.
  virtual bool Show(const std::vector<ResultRow>& rows, const std::wstring& tally,
                    const std::wstring& question, const std::wstring& answer) = 0;
};

// What "Copia" puts on the clipboard: a header line, then a line per row, tab-separated.
std::wstring ResultsAsText(const std::vector<ResultRow>& rows);

}  // namespace corvalinde
