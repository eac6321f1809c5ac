// Writing a .reg file of classes back, or removing what a backup holds, for every part the
// file names: this user's classes in this process, the machine's here too when it runs with
// administrator rights, otherwise in a host started elevated (one prompt) that is handed the
// file's path and the SHA-256 of the bytes the program read, checked and showed, and does the
// machine's part alone. The host reads the file once and checks it itself; when those bytes are
// not the ones shown (the file changed after the user said yes) it does nothing at all.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host_launcher.h"
#include "platform/registry.h"
#include "registration/host_protocol.h"
#include "registry/classes_file.h"

namespace corvalinde {

// The host's side: the loaded mark at once, then the action on the machine's part of the file
// the command names, and its report.
void RunClassesHost(const HostCommand& command, ClassesAction action, platform::Registry& registry,
                    const std::function<void(std::string_view)>& writeToParent);

// How its report starts: "classes <token> ", never a registration's "result <token> ".
std::string ClassesReportStart(std::wstring_view token);
std::string ClassesReport(std::wstring_view token, const ClassesDone& done);
std::optional<ClassesDone> ParseClassesReport(std::string_view output, std::wstring_view token);

// The program's side: the machine's part first (elevated as needed), then the user's; a part
// that stops stops the rest. Nothing when the user refused the elevation: nothing was done.
// `activity` is what the window says while an elevated host works.
struct ClassesHostAccess {
  platform::HostLauncher& launcher;
  std::wstring program;
  bool elevated = false;
  std::wstring activity{};
};
std::optional<ClassesDone> ApplyClassesFile(ClassesAction action, const ClassesFile& file,
                                            const std::wstring& path, platform::Registry& registry,
                                            const ClassesHostAccess& host);

}  // namespace corvalinde
