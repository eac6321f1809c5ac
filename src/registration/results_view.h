// A register/unregister summary too long for a message box (more lines than fit on the
// screen) is shown as a list instead: one row per file, its outcome and the summary's words,
// and, when files were refused for want of rights, the question whether to retry them as
// administrator with a button to say yes.
#pragma once

#include <string>
#include <vector>

namespace corvalinde {

struct ResultRow {
  std::wstring file;
  std::wstring outcome;  // "riuscita" or "non riuscita"
  std::wstring detail;   // the summary's line for the file, on one line
};

class ResultsView {
 public:
  virtual ~ResultsView() = default;
  // Shows the rows and the tally ("n riuscite, m non riuscite") until the user closes them;
  // with a `retryQuestion`, that question too and "Riprova come amministratore", which closes
  // them as well. True when the user chose to retry.
  virtual bool Show(const std::vector<ResultRow>& rows, const std::wstring& tally,
                    const std::wstring& retryQuestion) = 0;
};

// What "Copia" puts on the clipboard: a header line, then a line per row, tab-separated.
std::wstring ResultsAsText(const std::vector<ResultRow>& rows);

}  // namespace corvalinde
