// A module whose DllRegisterServer lets a C++ exception escape: the C++ runtime ends the
// process (std::terminate), as it does in any program that loads such a module.
#include <stdexcept>

#include "test_module.h"

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  throw std::runtime_error("registration went wrong");
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  throw std::runtime_error("unregistration went wrong");
}
