// A results window that shows nothing: it records what it was given, and says yes to what it
// offers when `retry` is set.
#pragma once

#include <string>
#include <vector>

#include "registration/results_view.h"

namespace corvalinde::testing {

struct RecordingResults final : ResultsView {
  bool Show(const std::vector<ResultRow>& shownRows, const std::wstring& shownTally,
            const std::wstring& shownQuestion, const std::wstring& shownAnswer) override {
    rows = shownRows;
    tally = shownTally;
    questions.push_back(shownQuestion);
    answers.push_back(shownAnswer);
    return retry;
  }
  std::vector<ResultRow> rows;
  std::wstring tally;
  std::vector<std::wstring> questions, answers;
  bool retry = false;
};

}  // namespace corvalinde::testing
