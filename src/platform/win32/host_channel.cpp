#include "platform/win32/host_channel.h"

#include <windows.h>
#include <sddl.h>

namespace corvalinde::platform::win32 {
namespace {

// "D:P(A;;GA;;;<this user>)(A;;GA;;;BA)": nobody else, not even through inheritance.
std::wstring ChannelAccess() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
  UniqueKernelHandle token(opened);
  alignas(TOKEN_USER) char buffer[256];
  DWORD size = 0;
  if (!GetTokenInformation(opened, TokenUser, buffer, sizeof buffer, &size)) return {};
  wchar_t* sid = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) return {};
  std::wstring sddl = std::wstring(L"D:P(A;;GA;;;") + sid + L")(A;;GA;;;BA)";
  LocalFree(sid);
  return sddl;
}

}  // namespace

std::wstring HostChannelName(const std::wstring& token) {
  return L"\\\\.\\pipe\\Corvalinde.host." + token;
}

UniqueKernelHandle CreateHostChannel(const std::wstring& token) {
  std::wstring access = ChannelAccess();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (access.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                            access.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return UniqueKernelHandle();
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  HANDLE pipe = CreateNamedPipeW(
      HostChannelName(token).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 65536, 0,
      &attributes);
  DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return UniqueKernelHandle(pipe == INVALID_HANDLE_VALUE ? nullptr : pipe);
}

UniqueKernelHandle OpenHostChannel(const std::wstring& token) {
  HANDLE pipe = CreateFileW(
      HostChannelName(token).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
      FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  return UniqueKernelHandle(pipe == INVALID_HANDLE_VALUE ? nullptr : pipe);
}

UniqueKernelHandle NewKillOnCloseJob() {
  UniqueKernelHandle job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job && !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                      sizeof limits)) {
    job.reset();
  }
  return job;
}

}  // namespace corvalinde::platform::win32
