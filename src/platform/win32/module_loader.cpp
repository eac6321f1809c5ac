#include "platform/module_loader.h"

#include <windows.h>
#include <ole2.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/sized_text.h"
#include "platform/win32/unique_handle.h"

#ifdef __MINGW32__
// Windows Vista's; MinGW's oleaut32 exports them but its header does not declare them.
extern "C" {
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* fullPath, OLECHAR* helpFolder);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libraryId, WORD major, WORD minor, LCID locale,
                                      SYSKIND kind);
}
#endif

namespace corvalinde::platform {
namespace {

using win32::UniqueKernelHandle;
using win32::UniqueModule;

using ComEntryPoint = HRESULT(STDAPICALLTYPE*)();
using InstallEntryPoint = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);
using LoaderEntryPoint = HRESULT (*)(void*);

// What the worker thread calls; it owns this (a worker abandoned in a hung module keeps it).
struct WorkerCall {
  EntryPoint entry;
  std::optional<InstallArguments> install;
};

class Win32Module final : public LoadedModule {
 public:
  explicit Win32Module(UniqueModule module) : module_(std::move(module)) {}
  EntryPoint Find(const char* name) const override {
    return EntryPoint{reinterpret_cast<void*>(GetProcAddress(module_.get(), name))};
  }

 private:
  UniqueModule module_;
};

// Modules commonly create COM objects while they register (categories, type libraries); like
// regsvr32, give the entry point a thread where OLE is initialised.
DWORD WINAPI RunEntryPoint(void* parameter) {
  std::unique_ptr<WorkerCall> call(static_cast<WorkerCall*>(parameter));
  HRESULT init = OleInitialize(nullptr);
  void* address = call->entry.address;
  HRESULT status = call->entry.context
                       ? reinterpret_cast<LoaderEntryPoint>(address)(call->entry.context)
                   : call->install ? reinterpret_cast<InstallEntryPoint>(address)(
                                         call->install->install, call->install->commandLine.c_str())
                                   : reinterpret_cast<ComEntryPoint>(address)();
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

 private:
  UniqueKernelHandle thread_;
};

// A type library, read but not registered; its two entry points register it from the worker's
// thread, where OLE is initialised.
class TypeLibraryModule final : public LoadedModule {
 public:
  TypeLibraryModule(ITypeLib* library, std::wstring path, bool forUser)
      : library_(library), path_(std::move(path)), forUser_(forUser) {}
  ~TypeLibraryModule() override { library_->Release(); }
  EntryPoint Find(const char* name) const override {
    auto* self = const_cast<TypeLibraryModule*>(this);
    if (std::string_view(name) == "DllRegisterServer") {
      return {reinterpret_cast<void*>(&TypeLibraryModule::Register), self};
    }
    if (std::string_view(name) == "DllUnregisterServer") {
      return {reinterpret_cast<void*>(&TypeLibraryModule::Unregister), self};
    }
    return {};
  }

 private:
  static HRESULT Register(void* context) {
    auto& self = *static_cast<TypeLibraryModule*>(context);
    std::wstring path = self.path_;
    return self.forUser_ ? RegisterTypeLibForUser(self.library_, path.data(), nullptr)
                         : RegisterTypeLib(self.library_, path.data(), nullptr);
  }
  static HRESULT Unregister(void* context) {
    auto& self = *static_cast<TypeLibraryModule*>(context);
    TLIBATTR* attributes = nullptr;
    HRESULT status = self.library_->GetLibAttr(&attributes);
    if (FAILED(status)) return status;
    const TLIBATTR a = *attributes;
    self.library_->ReleaseTLibAttr(attributes);
    return self.forUser_
               ? UnRegisterTypeLibForUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind)
               : UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
  }

  ITypeLib* library_;
  std::wstring path_;
  bool forUser_;
};

// A server program run for its registration: the worker is its process.
class ProgramWorker final : public Worker {
 public:
  explicit ProgramWorker(UniqueKernelHandle process) : process_(std::move(process)) {}
  ~ProgramWorker() override {
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 1);
  }
  WaitResult WaitFor(std::chrono::milliseconds limit) override {
    DWORD wait = WaitForSingleObject(process_.get(), static_cast<DWORD>(limit.count()));
    return wait == WAIT_OBJECT_0 ? WaitResult::Ended : WaitResult::TimedOut;
  }
  std::int32_t ExitStatus() const override {
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return static_cast<std::int32_t>(code);
  }

 private:
  UniqueKernelHandle process_;
};

// A Win32 error for a failed HRESULT, when it carries one.
std::uint32_t SystemErrorOf(HRESULT status) {
  return HRESULT_FACILITY(status) == FACILITY_WIN32 ? HRESULT_CODE(status)
                                                    : static_cast<std::uint32_t>(status);
}

// The name as the rest of the program reads it: a file relative to the current folder when one
// is there (made absolute, since the flag below wants a full path), else as given, for the
// system's search (a bare "scrrun.dll" found in the system folder, as regsvr32 finds it).
std::wstring LoadPath(const std::wstring& path);

// A file the loader reads itself: its full path, or empty with the system's reason.
std::wstring FoundPath(const std::wstring& path, std::uint32_t& systemError) {
  std::wstring found = LoadPath(path);
  if (found.find_first_of(L"\\/") == std::wstring::npos) {
    found = win32::SizedText(
        [&](wchar_t* text, DWORD size) {
          return SearchPathW(nullptr, path.c_str(), nullptr, size, text, nullptr);
        },
        std::wstring());
  }
  if (found.empty()) {
    systemError = ERROR_FILE_NOT_FOUND;
    return {};
  }
  DWORD attributes = GetFileAttributesW(found.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    systemError = GetLastError();
    return {};
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    systemError = ERROR_ACCESS_DENIED;  // as LoadLibrary answers for a folder
    return {};
  }
  return found;
}

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

// Never destroyed, not even with the loader: the process ends with them.
void KeepForEver(std::unique_ptr<LoadedModule> module, std::unique_ptr<Worker> worker) {
  static std::mutex mutex;
  static auto& kept =
      *new std::vector<std::pair<std::unique_ptr<LoadedModule>, std::unique_ptr<Worker>>>;
  std::lock_guard lock(mutex);
  kept.emplace_back(std::move(module), std::move(worker));
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

  std::unique_ptr<LoadedModule> LoadTypeLibrary(const std::wstring& path, bool forUser,
                                                std::uint32_t& systemError) override {
    // The path it is registered under is where it was found: a bare name is searched for as
    // the system searches for a program's files.
    std::wstring found = FoundPath(path, systemError);
    if (found.empty()) return nullptr;
    ITypeLib* library = nullptr;
    HRESULT status = LoadTypeLibEx(found.c_str(), REGKIND_NONE, &library);
    if (FAILED(status)) {
      systemError = SystemErrorOf(status);
      return nullptr;
    }
    systemError = 0;
    return std::make_unique<TypeLibraryModule>(library, found, forUser);
  }

  std::unique_ptr<Worker> StartProgram(const std::wstring& path, const std::wstring& arguments,
                                       std::uint32_t& systemError) override {
    std::wstring found = FoundPath(path, systemError);
    if (found.empty()) return nullptr;
    std::wstring commandLine = L"\"" + found + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(found.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
      systemError = GetLastError();
      return nullptr;
    }
    CloseHandle(process.hThread);
    systemError = 0;
    return std::make_unique<ProgramWorker>(UniqueKernelHandle(process.hProcess));
  }

  std::unique_ptr<Worker> StartWorker(EntryPoint entry,
                                      const std::optional<InstallArguments>& install) override {
    auto call = std::make_unique<WorkerCall>(WorkerCall{entry, install});
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunEntryPoint, call.get(), 0, &id);
    if (!thread) return nullptr;
    call.release();  // the thread's now
    return std::make_unique<Win32Worker>(UniqueKernelHandle(thread));
  }

  void Abandon(std::unique_ptr<LoadedModule> module, std::unique_ptr<Worker> worker) override {
    // The worker may still be running code inside the module: keep both the module and the
    // thread handle for the rest of the process.
    KeepForEver(std::move(module), std::move(worker));
  }
};

}  // namespace

std::unique_ptr<ModuleLoader> MakeSystemModuleLoader() {
  return std::make_unique<Win32ModuleLoader>();
}

}  // namespace corvalinde::platform
