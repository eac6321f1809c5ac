// Every text the program shows to its user, in the program's Italian, in one place.
#pragma once

#include <string_view>

namespace corvalinde::texts {

inline constexpr std::wstring_view kCrLf = L"\r\n";

inline constexpr std::wstring_view kVersionText = L"0.03.1";

// Titles.
inline constexpr std::wstring_view kTitleError = L"Errore";
inline constexpr std::wstring_view kTitleRegistered = L"Registrato";

// Command-line run.
inline constexpr std::wstring_view kUsage =
    L"Parametri non validi.\r\n/filename nomefile\r\n/visible  0-1\r\n/modal   U-R";
inline constexpr std::wstring_view kModuleLabel = L"Modulo : ";
inline constexpr std::wstring_view kRegisteredOk = L"Registrato con successo";
inline constexpr std::wstring_view kUnregisteredOk = L"Unregistrato con successo";
inline constexpr std::wstring_view kEntryPointMissing = L"Entrypoint del modulo mancante";
inline constexpr std::wstring_view kTimeout = L"Errore di timeout del modulo";
inline constexpr std::wstring_view kModuleInvalidLabel = L"Modulo :";
inline constexpr std::wstring_view kModuleInvalid = L"è mancante o non valido";
inline constexpr std::wstring_view kOperationFailed = L"Operazione non riuscita (codice 0x";

}  // namespace corvalinde::texts
