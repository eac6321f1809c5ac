// Helpers the unit tests share: where the test modules are, and what they left behind.
#pragma once

#include <string>
#include <vector>

namespace corvalinde::testing {

// Full path of a test module built beside the test program ("testmod_good" and so on), with the
// platform's module suffix.
std::wstring TestModulePath(const std::string& name);

// The same COM server built for `arch` ("i686", "x86_64") by the MinGW compilers: the images
// keep their .dll name on every platform.
std::wstring ArchModule(const char* arch);

// The same module's bare file name, for command texts: on Linux a path's "/" would end the
// switch value. The loaders find a bare name in the current folder (see ModuleFolderAsCurrent).
std::wstring TestModuleFileName(const std::string& name);

// Makes the test modules' folder the current one for the life of the object.
class ModuleFolderAsCurrent {
 public:
  ModuleFolderAsCurrent();
  ~ModuleFolderAsCurrent();

 private:
  std::string previous_;
};

// Whether the process has the module at `path` loaded right now.
bool IsModuleLoaded(const std::wstring& path);

// A fresh marker file that the test modules append their entry points' names to, for the life
// of the object (the modules find it through CORVALINDE_TEST_MARKER).
class MarkerFile {
 public:
  MarkerFile();
  ~MarkerFile();
  std::vector<std::string> Lines() const;

 private:
  std::string path_;
};

}  // namespace corvalinde::testing
