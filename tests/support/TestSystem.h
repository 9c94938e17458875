#pragma once

// What the suites need of the system beyond the program's own system files
// (formats/Sys*.h): pipes, a device that refuses writes, a child process
// under a memory limit. Where a system has no such thing, the function says
// so and the test skips itself with the reason.

#include "support/TestFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>

// A stream reading the read end of a pipe that holds `bytes` (at most 64 KiB)
// and then ends: a stream that cannot seek. Null when no pipe can be made.
FILE* PipeWith(const Bytes& bytes);

// A stream onto a device that takes buffered writes (4 KiB) and fails each
// one that reaches it: /dev/full, or where there is none (Windows) the write
// end of a pipe whose read end is closed; null when neither can be made.
FILE* OpenFullDevice();

// An unbuffered stream that refuses every write, on every system: the write
// end of a pipe whose read end is closed (POSIX's SIGPIPE ignored). Null
// when no pipe can be made.
FILE* RefusingStream();

// An unbuffered stream writing into the `room` bytes at `buffer` (fmemopen),
// where a write that does not fit fails at the call; null where the system
// has no such stream.
FILE* FixedBufferStream(void* buffer, std::size_t room);

// Runs `body` in a child process whose address space is limited to `bytes`
// and gives its exit code (3 is taken), -1 when it died. Where that cannot
// be done, a non-empty `whyNot`.
int RunUnderAddressLimit(std::size_t bytes, const std::function<int()>& body, std::string& whyNot);

// While the object lives, permission bits hold for this thread even for root
// (CI runs as root): on Linux CAP_DAC_OVERRIDE and friends leave its
// effective set; elsewhere nothing needs doing.
class PermissionsEnforced
{
public:
    PermissionsEnforced();
    ~PermissionsEnforced();
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

private:
    std::uint32_t m_saved[6]{};  // Linux: two sets of effective, permitted, inheritable
    bool m_bDropped = false;
};
