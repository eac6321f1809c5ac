#include "platform/module_loader.h"

#include <windows.h>
#include <ole2.h>

#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/sized_text.h"
#include "platform/win32/unique_handle.h"

namespace corvalinde::platform {
namespace {

using win32::UniqueKernelHandle;
using win32::UniqueModule;

using ComEntryPoint = HRESULT(STDAPICALLTYPE*)();
using InstallEntryPoint = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);

// What the worker thread calls; it owns this (a worker abandoned in a hung module keeps it).
struct WorkerCall {
  void* address;
  std::optional<InstallArguments> install;
};

class Win32Module final : public LoadedModule {
 public:
  explicit Win32Module(UniqueModule module) : module_(std::move(module)) {}
  EntryPoint Find(const char* name) const override {
    return EntryPoint{reinterpret_cast<void*>(GetProcAddress(module_.get(), name))};
  }
  HMODULE Release() { return module_.release(); }

 private:
  UniqueModule module_;
};

// Modules commonly create COM objects while they register (categories, type libraries); like
// regsvr32, give the entry point a thread where OLE is initialised.
DWORD WINAPI RunEntryPoint(void* parameter) {
  std::unique_ptr<WorkerCall> call(static_cast<WorkerCall*>(parameter));
  HRESULT init = OleInitialize(nullptr);
  HRESULT status = call->install ? reinterpret_cast<InstallEntryPoint>(call->address)(
                                       call->install->install, call->install->commandLine.c_str())
                                 : reinterpret_cast<ComEntryPoint>(call->address)();
  if (SUCCEEDED(init)) OleUninitialize();
  return static_cast<DWORD>(status);
}

class Win32Worker final : public Worker {
 public:
  explicit Win32Worker(UniqueKernelHandle thread) : thread_(std::move(thread)) {}
  WaitResult WaitFor(std::chrono::milliseconds limit) override {
    DWORD wait = WaitForSingleObject(thread_.get(), static_cast<DWORD>(limit.count()));
    return wait == WAIT_OBJECT_0 ? WaitResult::Ended : WaitResult::TimedOut;
  }
  std::int32_t ExitStatus() const override {
    DWORD code = 0;
    GetExitCodeThread(thread_.get(), &code);
    return static_cast<std::int32_t>(code);
  }
  HANDLE Release() { return thread_.release(); }

 private:
  UniqueKernelHandle thread_;
};

// The name as the rest of the program reads it: a file relative to the current folder when one
// is there (made absolute, since the flag below wants a full path), else as given, for the
// system's search (a bare "scrrun.dll" found in the system folder, as regsvr32 finds it).
std::wstring LoadPath(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return path;
  }
  return win32::SizedText(
      [&](wchar_t* text, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, text, nullptr);
      },
      path);
}

class Win32ModuleLoader final : public ModuleLoader {
 public:
  std::unique_ptr<LoadedModule> Load(const std::wstring& path,
                                     std::uint32_t& systemError) override {
    // No "insert a disk" or bad-image boxes from the system: we report the failure ourselves.
    // Like regsvr32, the module's own folder is searched first for the DLLs it needs (not
    // ours); the host has taken the current folder out of the search.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    std::wstring target = LoadPath(path);
    DWORD search = target.find_first_of(L"\\/") == std::wstring::npos
                       ? 0  // a bare name: the system's own search
                       : LOAD_WITH_ALTERED_SEARCH_PATH;
    HMODULE module = LoadLibraryExW(target.c_str(), nullptr, search);
    systemError = module ? 0 : GetLastError();
    SetThreadErrorMode(previousMode, nullptr);
    if (!module) return nullptr;
    return std::make_unique<Win32Module>(UniqueModule(module));
  }

  std::unique_ptr<Worker> StartWorker(EntryPoint entry,
                                      const std::optional<InstallArguments>& install) override {
    auto call = std::make_unique<WorkerCall>(WorkerCall{entry.address, install});
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunEntryPoint, call.get(), 0, &id);
    if (!thread) return nullptr;
    call.release();  // the thread's now
    return std::make_unique<Win32Worker>(UniqueKernelHandle(thread));
  }

  void Abandon(std::unique_ptr<LoadedModule> module, std::unique_ptr<Worker> worker) override {
    // The worker may still be running code inside the module: keep both the module and the
    // thread handle for the rest of the process.
    std::lock_guard lock(abandonedMutex_);
    abandoned_.push_back({static_cast<Win32Module&>(*module).Release(),
                          static_cast<Win32Worker&>(*worker).Release()});
  }

 private:
  struct Abandoned {
    HMODULE module;
    HANDLE thread;
  };
  std::mutex abandonedMutex_;
  std::vector<Abandoned> abandoned_;
};

}  // namespace

std::unique_ptr<ModuleLoader> MakeSystemModuleLoader() {
  return std::make_unique<Win32ModuleLoader>();
}

}  // namespace corvalinde::platform
