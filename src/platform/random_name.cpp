#include "platform/random_name.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>

namespace corvalinde::platform {

std::wstring RandomName() {
  static std::mutex guard;
  static std::mt19937_64 numbers = [] {
    std::random_device device;
    std::seed_seq seed{
        device(), device(), device(), device(),
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return std::mt19937_64(seed);
  }();
  std::lock_guard lock(guard);
  wchar_t name[40];
  std::swprintf(name, 40, L"%016llx%016llx", static_cast<unsigned long long>(numbers()),
                static_cast<unsigned long long>(numbers()));
  return name;
}

}  // namespace corvalinde::platform
