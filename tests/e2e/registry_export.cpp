#include "registry_export.h"

#include <cstring>

#include "app_driver.h"

namespace corvalinde::e2e {

// What Wine's own reg.exe exports of `key`, an independent reading of the registry, as text.
// Without what the system itself rewrites on its own schedule, which no registration touches:
// the device keys of the plug-and-play service (input devices come and go under X), the
// service manager's count of started services (COM starts one) and the network cards Wine
// lists when a program first asks.
std::wstring Exported(const std::wstring& key) {
  const std::wstring file = TempFile(L"corvalinde export.reg");
  RunAndCapture(L"reg export " + key + L" \"" + file + L"\" /y");
  std::string bytes = FileBytes(file);
  DeleteFileW(file.c_str());
  std::wstring text(bytes.size() / 2, L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);
  const std::wstring_view systemOwn[] = {
      L"\\CurrentControlSet\\Control\\DeviceClasses", L"\\CurrentControlSet\\Enum",
      L"\\CurrentControlSet\\Control\\ServiceCurrent]",
      L"\\Windows NT\\CurrentVersion\\NetworkCards",  // and its 32-bit view's
  };
  return WithoutSections(text, [&](std::wstring_view header) {
    for (std::wstring_view own : systemOwn) {
      if (header.find(own) != std::wstring_view::npos) return true;
    }
    return false;
  });
}

std::wstring WithoutSections(const std::wstring& exported,
                             const std::function<bool(std::wstring_view keyLine)>& drop) {
  std::wstring kept;
  for (std::size_t at = 0; at < exported.size();) {
    std::size_t end = exported.find(L"\r\n\r\n", at);
    end = end == std::wstring::npos ? exported.size() : end + 4;
    std::wstring_view section(exported.data() + at, end - at);
    if (!drop(section.substr(0, section.find(L"\r\n")))) kept.append(section);
    at = end;
  }
  return kept;
}

// Where two exports part, for a failure message that does not print megabytes.
std::string Difference(const std::wstring& before, const std::wstring& after) {
  std::size_t at = 0;
  while (at < before.size() && at < after.size() && before[at] == after[at]) ++at;
  if (at == before.size() && at == after.size()) return "";
  std::string context;
  for (std::size_t i = at > 160 ? at - 160 : 0; i < at + 40 && i < after.size(); ++i) {
    context += after[i] >= 32 && after[i] < 127 ? static_cast<char>(after[i]) : '.';
  }
  return "lengths " + std::to_string(before.size()) + " and " + std::to_string(after.size()) +
         ", first difference at " + std::to_string(at) + ": " + context;
}

}  // namespace corvalinde::e2e
