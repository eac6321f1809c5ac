#include "app/command_line_args.h"

#include "common/blanks.h"
#include "registration/reg_unreg_module.h"

#include <cwctype>

namespace corvalinde {
namespace {

wchar_t Fold(wchar_t c) {
  return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

std::size_t FindIgnoringCase(std::wstring_view text, std::wstring_view word) {
  if (word.size() > text.size()) return std::wstring_view::npos;
  for (std::size_t at = 0; at + word.size() <= text.size(); ++at) {
    std::size_t k = 0;
    while (k < word.size() && Fold(text[at + k]) == Fold(word[k])) ++k;
    if (k == word.size()) return at;
  }
  return std::wstring_view::npos;
}

std::wstring ReadSwitch(std::wstring_view text, std::wstring_view name) {
  std::size_t at = FindIgnoringCase(text, name);
  if (at == std::wstring_view::npos) return {};
  std::wstring_view rest = text.substr(at + name.size());
  return std::wstring(TrimBlanks(rest.substr(0, rest.find(L'/'))));
}

// A decimal number: optional sign, digits with an optional fraction, optional exponent.
bool ParseNumberIsNonZero(std::wstring_view value, bool& nonZero) {
  std::size_t i = 0;
  if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) ++i;
  bool digits = false;
  nonZero = false;
  auto takeDigits = [&] {
    while (i < value.size() && value[i] >= L'0' && value[i] <= L'9') {
      digits = true;
      nonZero = nonZero || value[i] != L'0';
      ++i;
    }
  };
  takeDigits();
  if (i < value.size() && value[i] == L'.') {
    ++i;
    takeDigits();
  }
  if (!digits) return false;
  if (i < value.size() && (value[i] == L'e' || value[i] == L'E')) {
    ++i;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) ++i;
    std::size_t exponentStart = i;
    while (i < value.size() && value[i] >= L'0' && value[i] <= L'9') ++i;
    if (i == exponentStart) return false;
  }
  return i == value.size();
}

}  // namespace

std::wstring GetFilenameArg(std::wstring_view commandText) {
  return ReadSwitch(commandText, L"/filename");
}

std::wstring GetModalArg(std::wstring_view commandText) {
  return ReadSwitch(commandText, L"/modal");
}

std::optional<ModalAction> ReadModalAction(std::wstring_view value) {
  if (value == L"R") return ModalAction{Action::Register, false};
  if (value == L"U") return ModalAction{Action::Unregister, false};
  if (value == L"u") return ModalAction{Action::Unregister, true};
  return std::nullopt;
}

namespace {

// A switch that takes no value: present when the name is followed by a blank, another switch
// or the end.
bool HasBareSwitch(std::wstring_view commandText, std::wstring_view name) {
  for (std::size_t from = 0; from < commandText.size();) {
    std::size_t at = FindIgnoringCase(commandText.substr(from), name);
    if (at == std::wstring_view::npos) return false;
    std::size_t after = from + at + name.size();
    if (after == commandText.size() || commandText[after] == L' ' || commandText[after] == L'/') {
      return true;
    }
    from = after;
  }
  return false;
}

}  // namespace

bool GetUserArg(std::wstring_view commandText) {
  return HasBareSwitch(commandText, L"/user");
}

bool GetCheckArg(std::wstring_view commandText) {
  return HasBareSwitch(commandText, L"/check");
}

bool GetVerifyArg(std::wstring_view commandText) {
  return HasBareSwitch(commandText, L"/verify");
}

bool IsUninstallCommandLine(std::wstring_view commandText) {
  constexpr std::wstring_view kSwitch = L"/disinstalla";
  std::wstring_view text = TrimBlanks(commandText);
  return text.size() == kSwitch.size() && FindIgnoringCase(text, kSwitch) == 0;
}

bool GetSilentArg(std::wstring_view commandText) {
  return HasBareSwitch(commandText, L"/s");
}

std::optional<std::wstring> GetCaptureArg(std::wstring_view commandText) {
  if (FindIgnoringCase(commandText, L"/capture") == std::wstring_view::npos) return std::nullopt;
  return ReadSwitch(commandText, L"/capture");
}

std::optional<std::chrono::seconds> GetTimeoutArg(std::wstring_view commandText) {
  if (FindIgnoringCase(commandText, L"/timeout") == std::wstring_view::npos) return std::nullopt;
  std::wstring value = ReadSwitch(commandText, L"/timeout");
  if (value.empty() || value.size() > 3 ||
      value.find_first_not_of(L"0123456789") != std::wstring::npos) {
    return std::chrono::seconds(0);
  }
  std::chrono::seconds limit(std::stoi(value));
  return limit <= kLongestTimeLimit ? limit : std::chrono::seconds(0);
}

bool GetVisibleArg(std::wstring_view commandText) {
  bool nonZero = false;
  return ParseNumberIsNonZero(ReadSwitch(commandText, L"/visible"), nonZero) && nonZero;
}

}  // namespace corvalinde
