// The browser opened from the tray, and what its tests do with it: register a module from the
// command line, read the caption's row count, select the first row, search.
#pragma once

#include "tray_app.h"

#include <commctrl.h>

#include <string>

namespace corvalinde::e2e {

using namespace std::chrono_literals;

inline void RunCommandLine(const std::wstring& arguments) {
  AppProcess run(ProgramPath(), arguments);
  auto box = run.WaitForMessageBox(20s);
  ASSERT_TRUE(box.has_value()) << testing::PrintToString(arguments);
  PressButton(box->window, L"OK");
  EXPECT_EQ(run.WaitForExit(10s), std::optional<DWORD>(0)) << testing::PrintToString(box->text);
}

// The row count in "Lista moduli registrati ( Numero moduli :N )", or -1.
inline long RowCount(HWND browser) {
  std::wstring caption = WindowText(browser);
  const std::wstring prefix = L"Lista moduli registrati ( Numero moduli :";
  if (caption.rfind(prefix, 0) != 0 || caption.size() < prefix.size() + 2 ||
      caption.substr(caption.size() - 2) != L" )") {
    return -1;
  }
  return std::stol(caption.substr(prefix.size(), caption.size() - prefix.size() - 2));
}

inline HKEY CreateKey(const std::wstring& name) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                  nullptr);
  return key;
}

// A text value (the default one for a null name) of a key under HKEY_CLASSES_ROOT, made.
inline void SetText(const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  HKEY opened = CreateKey(key);
  RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
}

class Browser : public TrayApp {
 protected:
  // Searches the module column for `name`; the result message's text.
  std::wstring SearchModule(HWND browser, const std::wstring& name) {
    PressButton(browser, L"modulo (DLL)");
    HWND moduleBox = FindChild(browser, L"Edit", 2);  // after the filter and the executable
    WaitUntil([&] { return moduleBox && IsWindowEnabled(moduleBox); }, 5s);
    if (!moduleBox || !IsWindowEnabled(moduleBox)) return L"(module box not usable)";
    SetText(moduleBox, name);
    PressButton(browser, L"Ricerca");
    auto result = app_.WaitForMessageBox(30s);
    if (!result) return L"(no result)";
    EXPECT_EQ(result->title, L"Risultato ricerca");
    PressButton(result->window, L"OK");
    WaitGone(result->window);
    return result->text;
  }

  HWND OpenBrowser() { return Open(TrayCommand::ModuleList, L"CorvalindeModuli"); }

  // "Solo mancanti" ticked, and applied: the caption a filter alone gives can read the same.
  static bool OnlyMissing(HWND browser) {
    HWND box = FindChild(browser, L"Button", 0);
    auto ticked = [&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    if (!ticked()) PressButton(browser, L"Solo mancanti");
    return WaitUntil(ticked, 5s);
  }

  // Filters the browser with `text` until it shows `rows` rows, and selects the first of them
  // (see SelectFirstRow); its list, or nothing.
  static HWND ShowOnly(HWND browser, const std::wstring& text, int rows) {
    SetText(FindChild(browser, L"Edit", 0), text);
    const std::wstring shown = L":" + std::to_wstring(rows) + L" di ";
    WaitUntil([&] { return WindowText(browser).find(shown) != std::wstring::npos; }, 10s);
    HWND list = FindChild(browser, L"SysListView32");
    return SelectFirstRow(list) ? list : nullptr;
  }

  // The first row shown selected by a click, the list having the keyboard. Clicked again
  // (three times at most) until it is: a window just shown can spend a click on becoming the
  // active one. No key is pressed: one still on its way would reach whatever opens next.
  static bool SelectFirstRow(HWND list) {
    RECT header{};
    GetWindowRect(FindChild(list, L"SysHeader32"), &header);
    const POINT firstRow{40, header.bottom - header.top + 8};
    constexpr UINT kSelectedCount = 0x1000 + 50;  // LVM_GETSELECTEDCOUNT
    for (int clicks = 0; clicks < 3; ++clicks) {
      ClickOn(list, firstRow);
      if (WaitUntil(
              [&] {
                return FocusOf(list) == list && SendMessageW(list, kSelectedCount, 0, 0) == 1 &&
                       ListView_GetNextItem(list, -1, LVNI_SELECTED) == 0;
              },
              1s)) {
        return true;
      }
    }
    return false;
  }

  // The list's context menu, from the keyboard at its selected row, and its item `position`
  // (from 1, separators not counted) chosen.
  bool ChooseFromRowMenu(HWND browser, HWND list, int position) {
    PostMessageW(browser, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
    HWND menu = app_.WaitForWindow(L"#32768", L"", 5s);
    if (!menu) return false;
    for (int i = 0; i < position; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return true;
  }

  std::wstring module_ = TestModule(L"testmod_good");
};

}  // namespace corvalinde::e2e
