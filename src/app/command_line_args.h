// The three switch readers. Each searches the whole argument text on its own: the switch name
// is found anywhere, ignoring case, and its value runs up to the next "/" (or the end), with
// blanks around it removed.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "registration/action.h"

namespace corvalinde {

std::wstring GetFilenameArg(std::wstring_view commandText);
std::wstring GetModalArg(std::wstring_view commandText);
// What /modal's value asks for: "R" registers, "U" unregisters, "u" unregisters quietly (no
// message for a success, no offer to try again as administrator). Nothing for any other value
// ("r" included): it names no action, and the run says so as the engine would.
struct ModalAction {
  Action action = Action::Register;
  bool quiet = false;
};
std::optional<ModalAction> ReadModalAction(std::wstring_view value);
// A number other than zero is true. A value that is not a number (or is missing) reads as false.
bool GetVisibleArg(std::wstring_view commandText);
// "/user" anywhere, in any letter case, as a switch of its own (followed by a blank, another
// switch or the end); a value after it is ignored.
bool GetUserArg(std::wstring_view commandText);
// "/check" the same way: report on the module named by /filename instead of registering it.
bool GetCheckArg(std::wstring_view commandText);
// "/verify" the same way: compare the registration of the module named by /filename with what
// it writes (no /modal needed).
bool GetVerifyArg(std::wstring_view commandText);
// "/s" the same way: silent, the messages on the console instead of in boxes.
bool GetSilentArg(std::wstring_view commandText);
// "/disinstalla" and nothing else (blanks around it and the letters' case aside): what the
// installer runs before it removes the program (uninstall.h).
bool IsUninstallCommandLine(std::wstring_view commandText);
// "/capture" and its value, like /filename's: nothing when the switch is absent, an empty text
// when it has no value.
std::optional<std::wstring> GetCaptureArg(std::wstring_view commandText);
// "/timeout <seconds>": nothing when the switch is absent; otherwise the time limit, or zero
// when the value is not a whole number of seconds from 1 to 600.
std::optional<std::chrono::seconds> GetTimeoutArg(std::wstring_view commandText);

}  // namespace corvalinde
