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

// Tray.
inline constexpr std::wstring_view kToolTip = L"Oska Corvalinde 0.03.1";
inline constexpr std::wstring_view kMenuRegUnReg = L"&Registra / Unregistra";
inline constexpr std::wstring_view kMenuListaModuli = L"&Lista moduli registrati";
inline constexpr std::wstring_view kMenuOpz = L"Opzioni";
inline constexpr std::wstring_view kMenuAbout = L"&About";
inline constexpr std::wstring_view kMenuEsci = L"Esci";

// About box. The maker's line, site and address are placeholders until the maker supplies them.
inline constexpr std::wstring_view kAboutCaption = L"About di Corvalinde";
inline constexpr std::wstring_view kAboutOf = L"About di";
inline constexpr std::wstring_view kProgramName = L"Corvalinde";
inline constexpr std::wstring_view kVersionPrefix = L"Ver.";
inline constexpr std::wstring_view kMakerLine = L"2026 Corvalinde developers";
inline constexpr std::wstring_view kMakerSite = L"https://corvalinde.example.org";
inline constexpr std::wstring_view kCommentsInvite =
    L"Per commenti, suggerimenti, critiche scrivete a corvalinde@example.org";

}  // namespace corvalinde::texts
