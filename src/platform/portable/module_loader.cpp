#include "platform/module_loader.h"

#include <dlfcn.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <sys/stat.h>

#include <cerrno>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/utf8.h"

namespace corvalinde::platform {
namespace {

// The Win32 codes LoadLibrary gives for the two reasons a load fails here, so callers see the
// same numbers.
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kModuleNotFound = 126;
constexpr std::uint32_t kBadExeFormat = 193;

class DlModule final : public LoadedModule {
 public:
  explicit DlModule(void* handle) : handle_(handle) {}
  ~DlModule() override {
    if (handle_) dlclose(handle_);
  }
  EntryPoint Find(const char* name) const override { return EntryPoint{dlsym(handle_, name)}; }

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
  explicit ThreadWorker(std::function<std::int32_t()> call)
      : state_(std::make_shared<WorkerState>()) {
    thread_ = std::thread([state = state_, call = std::move(call)] {
      std::int32_t status = call();
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

std::int32_t CallEntryPoint(EntryPoint entry, const std::optional<InstallArguments>& install) {
  if (entry.context) return reinterpret_cast<std::int32_t (*)(void*)>(entry.address)(entry.context);
  if (install) {
    return reinterpret_cast<std::int32_t (*)(int, const wchar_t*)>(entry.address)(
        install->install ? 1 : 0, install->commandLine.c_str());
  }
  return reinterpret_cast<std::int32_t (*)()>(entry.address)();
}

// A program's process, waited for by a thread of its own.
class ProcessWorker final : public Worker {
 public:
  explicit ProcessWorker(pid_t pid)
      : pid_(pid), waiter_([pid] {
          int status = 0;
          while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
          }
          return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }) {}
  ~ProcessWorker() override {
    if (waiter_.WaitFor(std::chrono::milliseconds(0)) != WaitResult::Ended) kill(pid_, SIGKILL);
  }
  WaitResult WaitFor(std::chrono::milliseconds limit) override { return waiter_.WaitFor(limit); }
  std::int32_t ExitStatus() const override { return waiter_.ExitStatus(); }

 private:
  pid_t pid_;
  ThreadWorker waiter_;
};

// Never destroyed, not even with the loader: the process ends with them.
void KeepForEver(std::unique_ptr<LoadedModule> module) {
  static std::mutex mutex;
  static auto& kept = *new std::vector<std::unique_ptr<LoadedModule>>;
  std::lock_guard lock(mutex);
  kept.push_back(std::move(module));
}

class DlModuleLoader final : public ModuleLoader {
 public:
  std::unique_ptr<LoadedModule> Load(const std::wstring& path,
                                     std::uint32_t& systemError) override {
    std::string file = Utf8(path);
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
      return std::make_unique<ThreadWorker>(
          [entry, install] { return CallEntryPoint(entry, install); });
    } catch (const std::system_error&) {
      return nullptr;
    }
  }

  // No type libraries here: the files a test gives read as no module at all.
  std::unique_ptr<LoadedModule> LoadTypeLibrary(const std::wstring&, bool,
                                                std::uint32_t& systemError) override {
    systemError = kBadExeFormat;
    return nullptr;
  }

  std::unique_ptr<Worker> StartProgram(const std::wstring& path, const std::wstring& arguments,
                                       std::uint32_t& systemError) override {
    std::string file = Utf8(path);
    std::string argument = Utf8(arguments);
    char* argv[] = {file.data(), argument.data(), nullptr};
    pid_t pid = 0;
    int error = posix_spawn(&pid, file.c_str(), nullptr, nullptr, argv, environ);
    if (error) {
      systemError = error == ENOENT ? kFileNotFound : kBadExeFormat;
      return nullptr;
    }
    systemError = 0;
    try {
      return std::make_unique<ProcessWorker>(pid);
    } catch (const std::system_error&) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      systemError = kBadExeFormat;
      return nullptr;
    }
  }

  void Abandon(std::unique_ptr<LoadedModule> module, std::unique_ptr<Worker> worker) override {
    // The thread may still run code inside the module: let it go on, and keep the module open
    // for the rest of the process.
    static_cast<ThreadWorker&>(*worker).Detach();
    KeepForEver(std::move(module));
  }
};

}  // namespace

std::unique_ptr<ModuleLoader> MakeSystemModuleLoader() {
  return std::make_unique<DlModuleLoader>();
}

}  // namespace corvalinde::platform
