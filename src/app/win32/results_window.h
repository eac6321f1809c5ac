// The results of a long register/unregister run: a resizable list of the files, their outcome
// and the summary's words, the tally, "Copia" (the list as tab-separated text) and "Chiudi";
// and, when files were refused for want of rights, the question and "Riprova come
// amministratore".
#pragma once

#include <windows.h>

#include "registration/results_view.h"

namespace corvalinde {

bool RegisterResultsClass();

class Win32ResultsView final : public ResultsView {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  bool Show(const std::vector<ResultRow>& rows, const std::wstring& tally,
            const std::wstring& question, const std::wstring& answer) override;

 private:
  HWND owner_ = nullptr;
};

// How many lines a message box can show on this screen before its button leaves it.
std::size_t LinesThatFitABox();

}  // namespace corvalinde
