#include "registration/host_side.h"

namespace corvalinde {
namespace {

// The loader the engine uses, telling the parent when the load is over: from then on the
// entry point's own limit applies.
class ReportingLoader final : public platform::ModuleLoader {
 public:
  ReportingLoader(platform::ModuleLoader& inner, std::string loadedMark,
                  const std::function<void(std::string_view)>& write)
      : inner_(inner), loadedMark_(std::move(loadedMark)), write_(write) {}
  std::unique_ptr<platform::LoadedModule> Load(const std::wstring& path,
                                               std::uint32_t& systemError) override {
    auto module = inner_.Load(path, systemError);
    write_(loadedMark_);
    return module;
  }
  std::unique_ptr<platform::Worker> StartWorker(
      platform::EntryPoint entry,
      const std::optional<platform::InstallArguments>& install) override {
    return inner_.StartWorker(entry, install);
  }
  void Abandon(std::unique_ptr<platform::LoadedModule> module,
               std::unique_ptr<platform::Worker> worker) override {
    inner_.Abandon(std::move(module), std::move(worker));
  }
  std::unique_ptr<platform::LoadedModule> LoadTypeLibrary(const std::wstring& path, bool forUser,
                                                          std::uint32_t& systemError) override {
    auto library = inner_.LoadTypeLibrary(path, forUser, systemError);
    write_(loadedMark_);
    return library;
  }
  std::unique_ptr<platform::Worker> StartProgram(const std::wstring& path,
                                                 const std::wstring& arguments,
                                                 std::uint32_t& systemError) override {
    auto program = inner_.StartProgram(path, arguments, systemError);
    write_(loadedMark_);
    return program;
  }

 private:
  platform::ModuleLoader& inner_;
  std::string loadedMark_;
  const std::function<void(std::string_view)>& write_;
};

}  // namespace

void RunAsHost(const HostCommand& command, platform::ModuleLoader& loader,
               const std::function<void(std::string_view)>& writeToParent) {
  ReportingLoader reporting(loader, HostLoadedMark(command.token), writeToParent);
  if (!command.captureKey.empty()) {
    writeToParent(HostReport(
        command.token, CaptureModule(command.file, command.captureKey, reporting, command.limit)));
    return;
  }
  for (const std::wstring& file : HostFiles(command)) {
    RegistrationResult result =
        RegUnregModuleInScope(file, command.action, command.scope, reporting, command.scratchKey,
                              command.limit, command.install);
    writeToParent(HostReport(command.token, result));
    // A worker still running in a module must meet no other: its mapping, its state.
    if (result.outcome == RegTimeout) return;
  }
}

}  // namespace corvalinde
