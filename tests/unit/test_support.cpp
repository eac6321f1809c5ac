#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/process.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#include "platform/utf8.h"
#endif

namespace corvalinde::testing {
namespace {

void SetMarkerVariable(const std::string& value) {
#ifdef _WIN32
  _putenv_s("CORVALINDE_TEST_MARKER", value.c_str());
#else
  setenv("CORVALINDE_TEST_MARKER", value.c_str(), 1);
#endif
}

}  // namespace

std::wstring TestModuleFileName(const std::string& name) {
#ifdef _WIN32
  return std::wstring(name.begin(), name.end()) + L".dll";
#else
  return std::wstring(name.begin(), name.end()) + L".so";
#endif
}

std::wstring TestModulePath(const std::string& name) {
#ifdef _WIN32
  return platform::ExecutableFolder() + L"\\" + TestModuleFileName(name);
#else
  return platform::ExecutableFolder() + L"/" + TestModuleFileName(name);
#endif
}

std::wstring ArchModule(const char* arch) {
  std::wstring path = TestModulePath(std::string("testmod_arch_") + arch);
  return path.substr(0, path.find_last_of(L'.')) + L".dll";
}

ModuleFolderAsCurrent::ModuleFolderAsCurrent() {
#ifdef _WIN32
  char buffer[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, buffer);
  previous_ = buffer;
  SetCurrentDirectoryW(platform::ExecutableFolder().c_str());
#else
  char buffer[4096];
  previous_ = getcwd(buffer, sizeof buffer) ? buffer : "/";
  if (chdir(platform::Utf8(platform::ExecutableFolder()).c_str()) != 0) {
    std::perror("chdir");
  }
#endif
}

ModuleFolderAsCurrent::~ModuleFolderAsCurrent() {
#ifdef _WIN32
  SetCurrentDirectoryA(previous_.c_str());
#else
  if (chdir(previous_.c_str()) != 0) std::perror("chdir");
#endif
}

bool IsModuleLoaded(const std::wstring& path) {
#ifdef _WIN32
  return GetModuleHandleW(path.c_str()) != nullptr;
#else
  void* handle = dlopen(platform::Utf8(path).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
#endif
}

MarkerFile::MarkerFile() {
  static int counter = 0;
#ifdef _WIN32
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  path_ = std::string(folder) + "corvalinde-marker-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter) + ".txt";
#else
  path_ = "/tmp/corvalinde-marker-" + std::to_string(getpid()) + "-" + std::to_string(++counter) +
          ".txt";
#endif
  std::remove(path_.c_str());
  SetMarkerVariable(path_);
}

MarkerFile::~MarkerFile() {
  SetMarkerVariable("");
  std::remove(path_.c_str());
}

std::vector<std::string> MarkerFile::Lines() const {
  std::vector<std::string> lines;
  std::ifstream in(path_);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace corvalinde::testing
