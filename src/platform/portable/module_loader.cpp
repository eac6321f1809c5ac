#include "platform/module_loader.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/portable/utf8.h"

namespace corvalinde::platform {
namespace {

// The Win32 codes LoadLibrary gives for the two reasons a load fails here, so callers see the
// same numbers.
constexpr std::uint32_t kModuleNotFound = 126;
constexpr std::uint32_t kBadExeFormat = 193;

class DlModule final : public LoadedModule {
 public:
  explicit DlModule(void* handle) : handle_(handle) {}
  ~DlModule() override {
    if (handle_) dlclose(handle_);
  }
  EntryPoint Find(const char* name) const override { return EntryPoint{dlsym(handle_, name)}; }
  void* Release() { return std::exchange(handle_, nullptr); }

 private:
  void* handle_;
};

// Shared with the thread, which may outlive the Worker after a time-out.
struct WorkerState {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::int32_t status = 0;
};

class ThreadWorker final : public Worker {
 public:
  ThreadWorker(EntryPoint entry, std::optional<InstallArguments> install)
      : state_(std::make_shared<WorkerState>()) {
    thread_ = std::thread([state = state_, address = entry.address, install = std::move(install)] {
      std::int32_t status = install
                                ? reinterpret_cast<std::int32_t (*)(int, const wchar_t*)>(address)(
                                      install->install ? 1 : 0, install->commandLine.c_str())
                                : reinterpret_cast<std::int32_t (*)()>(address)();
      std::lock_guard lock(state->mutex);
      state->status = status;
      state->done = true;
      state->ended.notify_all();
    });
  }
  ~ThreadWorker() override {
    if (thread_.joinable()) thread_.join();
  }
  WaitResult WaitFor(std::chrono::milliseconds limit) override {
    std::unique_lock lock(state_->mutex);
    bool done = state_->ended.wait_for(lock, limit, [&] { return state_->done; });
    return done ? WaitResult::Ended : WaitResult::TimedOut;
  }
  std::int32_t ExitStatus() const override {
    std::lock_guard lock(state_->mutex);
    return state_->status;
  }
  void Detach() { thread_.detach(); }

 private:
  std::shared_ptr<WorkerState> state_;
  std::thread thread_;
};

class DlModuleLoader final : public ModuleLoader {
 public:
  std::unique_ptr<LoadedModule> Load(const std::wstring& path,
                                     std::uint32_t& systemError) override {
    std::string file = portable::WideToUtf8(path);
    // Like Windows, look for a bare file name in the current folder too, not only in the
    // system's library folders.
    struct stat info {};
    if (file.find('/') == std::string::npos && stat(file.c_str(), &info) == 0) file = "./" + file;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      systemError = stat(file.c_str(), &info) == 0 ? kBadExeFormat : kModuleNotFound;
      return nullptr;
    }
    systemError = 0;
    return std::make_unique<DlModule>(handle);
  }

  std::unique_ptr<Worker> StartWorker(EntryPoint entry,
                                      const std::optional<InstallArguments>& install) override {
    try {
      return std::make_unique<ThreadWorker>(entry, install);
    } catch (const std::system_error&) {
      return nullptr;
    }
  }

  void Abandon(std::unique_ptr<LoadedModule> module, std::unique_ptr<Worker> worker) override {
    // The thread may still run code inside the module: let it go on, and keep the module open
    // for the rest of the process.
    static_cast<ThreadWorker&>(*worker).Detach();
    std::lock_guard lock(abandonedMutex_);
    abandoned_.push_back(static_cast<DlModule&>(*module).Release());
  }

 private:
  std::mutex abandonedMutex_;
  std::vector<void*> abandoned_;
};

}  // namespace

std::unique_ptr<ModuleLoader> MakeSystemModuleLoader() {
  return std::make_unique<DlModuleLoader>();
}

}  // namespace corvalinde::platform
