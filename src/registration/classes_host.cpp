#include "registration/classes_host.h"

#include <cstdio>

#include "common/sha256.h"
#include "platform/files.h"
#include "registration/host_registrar.h"

namespace corvalinde {
namespace {

constexpr std::uint32_t kTimedOut = 1460;  // ERROR_TIMEOUT

ClassesDone Apply(ClassesAction action, const ClassesFile& file, ClassesPart part,
                  platform::Registry& registry) {
  return action == ClassesAction::Remove ? RemoveClasses(file, part, registry)
                                         : RestoreClasses(file, part, registry);
}

}  // namespace

void RunClassesHost(const HostCommand& command, ClassesAction action, platform::Registry& registry,
                    const std::function<void(std::string_view)>& writeToParent) {
  writeToParent(HostLoadedMark(command.token));
  ClassesDone done;
  // Read once; what is done is what these bytes say, and only when they are those the user
  // was shown.
  std::optional<std::string> bytes = platform::ReadFileStart(command.file, kLargestRegFile + 1);
  auto file =
      bytes && bytes->size() <= kLargestRegFile
          ? ReadClassesFile(*bytes)
          : std::variant<ClassesFile, RegFileError>(RegFileError{RegFileProblem::NotRegFile, 1});
  if (!bytes || command.digest.empty() || Sha256Hex(*bytes) != command.digest) {
    done.error = RegFileError{RegFileProblem::ChangedSinceShown, 0};
  } else if (auto* error = std::get_if<RegFileError>(&file)) {
    done.error = *error;
  } else {
    done = Apply(action, std::get<ClassesFile>(file), ClassesPart::Machine, registry);
  }
  writeToParent(ClassesReport(command.token, done));
}

std::string ClassesReportStart(std::wstring_view token) {
  // A word of its own: a registration's parent never reads it as an outcome.
  return "classes " + std::string(token.begin(), token.end()) + " ";
}

std::string ClassesReport(std::wstring_view token, const ClassesDone& done) {
  char fields[128];
  std::snprintf(fields, sizeof fields, "%d %lu %ld %lu %lu %lu\n",
                done.error ? static_cast<int>(done.error->problem) : -1,
                static_cast<unsigned long>(done.error ? done.error->line : 0),
                static_cast<long>(done.error ? done.error->status : 0),
                static_cast<unsigned long>(done.keys), static_cast<unsigned long>(done.values),
                static_cast<unsigned long>(done.classes));
  return ClassesReportStart(token) + fields;
}

std::optional<ClassesDone> ParseClassesReport(std::string_view output, std::wstring_view token) {
  const std::string start = ClassesReportStart(token);
  std::size_t at = output.rfind(start);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t end = output.find('\n', at);
  if (end == std::string_view::npos) return std::nullopt;
  std::string line(output.substr(at + start.size(), end - at - start.size()));
  int problem = 0;
  unsigned long lineNumber = 0, keys = 0, values = 0, classes = 0;
  long status = 0;
  if (std::sscanf(line.c_str(), "%d %lu %ld %lu %lu %lu", &problem, &lineNumber, &status, &keys,
                  &values, &classes) != 6 ||
      problem < -1 || problem > static_cast<int>(RegFileProblem::ChangedSinceShown)) {
    return std::nullopt;
  }
  ClassesDone done;
  if (problem >= 0) {
    done.error = RegFileError{static_cast<RegFileProblem>(problem), lineNumber,
                              static_cast<std::int32_t>(status)};
  }
  done.keys = keys;
  done.values = values;
  done.classes = classes;
  return done;
}

std::optional<ClassesDone> ApplyClassesFile(ClassesAction action, const ClassesFile& file,
                                            const std::wstring& path, platform::Registry& registry,
                                            const ClassesHostAccess& host) {
  ClassesDone total;
  auto add = [&](const ClassesDone& done) {
    total.error = done.error;
    total.keys += done.keys;
    total.values += done.values;
    total.classes += done.classes;
  };
  // Here, the windows stay alive meanwhile.
  auto here = [&](ClassesPart part) {
    ClassesDone done;
    host.launcher.RunWhileWaiting(host.activity,
                                  [&] { done = Apply(action, file, part, registry); });
    add(done);
  };
  if (file.Has(ClassesPart::Machine)) {
    if (host.elevated) {
      here(ClassesPart::Machine);
    } else {
      HostCommand command{Action::Register, path, RegistrationScope::Machine, NewHostToken()};
      command.digest = file.digest;
      command.classes = action;
      platform::HostRun run =
          host.launcher.Run(host.program, HostArguments(command), command.token, true,
                            host.activity, HostLoadedMark(command.token),
                            ClassesReportStart(command.token), kHostStartMargin, kLongestTimeLimit);
      if (!run.started && run.startError == platform::kElevationRefused) return std::nullopt;
      if (auto report = ParseClassesReport(run.output, command.token)) {
        add(*report);
      } else {
        const std::uint32_t why = !run.started   ? run.startError
                                  : run.timedOut ? kTimedOut
                                                 : run.exitCode;
        total.error =
            RegFileError{RegFileProblem::RegistryRefused, 0, static_cast<std::int32_t>(why)};
      }
    }
    if (total.error) return total;
  }
  if (file.Has(ClassesPart::User)) here(ClassesPart::User);
  return total;
}

}  // namespace corvalinde
