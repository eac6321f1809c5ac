// Checks on what the program shows, for the end-to-end tests (the driver itself knows nothing
// of GoogleTest: the watcher that scripts/run uses is built without it).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app_driver.h"

namespace corvalinde::e2e {

// Starts the program with `arguments`, expects exactly one message box with this text, icon and
// title and only OK, presses it and expects that exit code; says what differed otherwise.
::testing::AssertionResult ShowsThenEnds(const std::wstring& arguments, const std::wstring& text,
                                         SeenIcon icon, const std::wstring& title, DWORD exitCode,
                                         milliseconds wait = std::chrono::seconds(20));

// The program run with "/s" and these arguments, to its end (at most a minute); a window it
// shows meanwhile is a failure.
WatchedRun Silently(const std::wstring& arguments);

}  // namespace corvalinde::e2e
