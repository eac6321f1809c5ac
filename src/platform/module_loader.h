// Loading a module and running one of its exported entry points on a worker thread.
//
// Contract:
// - Load returns an owner of the loaded module, or nullptr with `systemError` set to the
//   platform's reason (a Win32 error code on Windows; 0 where the platform has none). The owner
//   releases the module when destroyed.
// - LoadedModule::Find returns a null EntryPoint when the module does not export the name.
// - StartWorker starts a thread that initialises OLE, calls the entry point (a function taking
//   nothing and returning an HRESULT; with `install`, DllInstall's (BOOL, PCWSTR) taking its
//   arguments), and uninitialises OLE; nullptr when no thread can start.
// - Worker::WaitFor blocks at most `limit`; after Ended, ExitStatus is the entry point's HRESULT.
//   Destroying a Worker closes its handle; it is only allowed once the worker has Ended, except
//   for a program's (below).
// - Abandon takes a module whose worker did not end in time. The module is never released while
//   that worker can still run code in it: it stays loaded until the process ends.
// - LoadTypeLibrary reads a type library without registering it (nullptr and the reason, as
//   Load); its module's "DllRegisterServer" and "DllUnregisterServer" register and unregister
//   the library (RegisterTypeLib, UnRegisterTypeLib with the library's own attributes; the
//   ...ForUser ones with `forUser`), run by a worker like any entry point. It exports nothing
//   else.
// - StartProgram runs a program with the given arguments in a process of its own (nullptr and
//   the reason when it cannot start): its worker ends when the process does, with the process's
//   exit code as ExitStatus. Destroying it before then ends that process (not those it started:
//   a host's job takes care of them).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace corvalinde::platform {

// An exported function of a loaded module. Only a worker calls it, with the platform's calling
// convention for COM entry points.
struct EntryPoint {
  void* address = nullptr;
  // For an entry point the loader makes itself: what it is called with (HRESULT(void*)).
  void* context = nullptr;
  explicit operator bool() const { return address != nullptr; }
};

// DllInstall's arguments: install or uninstall, and the command-line text it is given.
struct InstallArguments {
  bool install = true;
  std::wstring commandLine;
};

class LoadedModule {
 public:
  virtual ~LoadedModule() = default;
  virtual EntryPoint Find(const char* name) const = 0;
};

enum class WaitResult { Ended, TimedOut };

class Worker {
 public:
  virtual ~Worker() = default;
  virtual WaitResult WaitFor(std::chrono::milliseconds limit) = 0;
  virtual std::int32_t ExitStatus() const = 0;
};

class ModuleLoader {
 public:
  virtual ~ModuleLoader() = default;
  virtual std::unique_ptr<LoadedModule> Load(const std::wstring& path,
                                             std::uint32_t& systemError) = 0;
  virtual std::unique_ptr<Worker> StartWorker(EntryPoint entry,
                                              const std::optional<InstallArguments>& install) = 0;
  virtual void Abandon(std::unique_ptr<LoadedModule> module, std::unique_ptr<Worker> worker) = 0;
  virtual std::unique_ptr<LoadedModule> LoadTypeLibrary(const std::wstring& path, bool forUser,
                                                        std::uint32_t& systemError) = 0;
  virtual std::unique_ptr<Worker> StartProgram(const std::wstring& path,
                                               const std::wstring& arguments,
                                               std::uint32_t& systemError) = 0;
};

// The platform's real loader: LoadLibraryExW (the module's folder searched first for what it
// needs, as regsvr32 loads) and CreateThread on Windows, dlopen and std::thread
// elsewhere.
std::unique_ptr<ModuleLoader> MakeSystemModuleLoader();

}  // namespace corvalinde::platform
