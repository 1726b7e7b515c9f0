#include "ombrel/base/ThreadId.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace Ombrel {

std::uint32_t GetCurrentThreadId()
{
    // The kernel's thread id, read once per thread: it is the id tools such as gdb show.
    thread_local const auto id = static_cast<std::uint32_t>(::syscall(SYS_gettid));
    return id;
}

std::uint32_t GetCurrentProcessId()
{
    return static_cast<std::uint32_t>(::getpid());
}

} // namespace Ombrel
