// What both ends of a registration host's run use: the pipe the host reports through, named
// after a token made for one launch, and the job its processes end with.
#pragma once

#include <string>

#include "platform/win32/unique_handle.h"

namespace corvalinde::platform::win32 {

std::wstring HostChannelName(const std::wstring& token);

// The server end, for reading: the first and only instance of its name, local clients only,
// open to this user's processes and to administrators' (an elevated host may run under another
// account when an administrator typed their password at the prompt). Null on failure, with the
// system's reason in GetLastError.
UniqueKernelHandle CreateHostChannel(const std::wstring& token);

// The host's end: for writing and for noticing the parent's end; opened for identification
// only (the parent's end cannot act as the host), overlapped, not inherited.
UniqueKernelHandle OpenHostChannel(const std::wstring& token);

// A job that ends every process in it when its last handle closes (or its owner ends).
UniqueKernelHandle NewKillOnCloseJob();

}  // namespace corvalinde::platform::win32
