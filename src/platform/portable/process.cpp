#include "platform/process.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/utf8.h"

namespace corvalinde::platform {

std::wstring ArgumentText() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // NUL-separated arguments; the first is the program. Join the rest with blanks.
  std::string args;
  std::size_t end = all.find('\0');
  while (end != std::string::npos && end + 1 < all.size()) {
    std::size_t next = all.find('\0', end + 1);
    if (next == std::string::npos) next = all.size();
    if (!args.empty()) args.push_back(' ');
    args.append(all, end + 1, next - end - 1);
    end = next;
  }
  return FromUtf8(args);
}

std::wstring ExecutablePath() {
  std::string path(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  path.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return FromUtf8(path);
}

std::wstring ExecutableFolder() {
  std::wstring path = ExecutablePath();
  auto slash = path.find_last_of(L'/');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::uint32_t CurrentProcessId() {
  return static_cast<std::uint32_t>(getpid());
}

bool ProcessIsRunning(std::uint32_t id) {
  if (id == 0 || id > 0x7FFFFFFF) return false;  // 0 and negative ids name groups of processes
  return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

}  // namespace corvalinde::platform
