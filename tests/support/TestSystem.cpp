#include "support/TestSystem.h"

#ifdef _WIN32

#include <fcntl.h>
#include <io.h>

FILE* PipeWith(const Bytes& bytes)
{
    int fds[2];
    if (bytes.size() > 65536 || _pipe(fds, 65536, _O_BINARY) != 0)
        return nullptr;
    const bool written = _write(fds[1], bytes.data(), unsigned(bytes.size())) == int(bytes.size());
    _close(fds[1]);
    FILE* f = written ? _fdopen(fds[0], "rb") : nullptr;
    if (!f)
        _close(fds[0]);
    return f;
}

FILE* RefusingStream()
{
    int fds[2];
    if (_pipe(fds, 4096, _O_BINARY) != 0)
        return nullptr;
    _close(fds[0]);
    FILE* f = _fdopen(fds[1], "wb");
    if (!f)
        _close(fds[1]);
    else
        std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

FILE* OpenFullDevice()
{
    FILE* f = RefusingStream();
    if (f)
        std::setvbuf(f, nullptr, _IOFBF, 4096);
    return f;
}

FILE* FixedBufferStream(void*, std::size_t)
{
    return nullptr;
}

int RunUnderAddressLimit(std::size_t, const std::function<int()>&, std::string& whyNot)
{
    whyNot = "no fork() and address space limit on Windows";
    return -1;
}

PermissionsEnforced::PermissionsEnforced() = default;
PermissionsEnforced::~PermissionsEnforced() = default;

#else  // POSIX

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

FILE* PipeWith(const Bytes& bytes)
{
    int fds[2];
    if (bytes.size() > 65536 || pipe(fds) != 0)
        return nullptr;
    const bool written = write(fds[1], bytes.data(), bytes.size()) == ssize_t(bytes.size());
    close(fds[1]);
    FILE* f = written ? fdopen(fds[0], "rb") : nullptr;
    if (!f)
        close(fds[0]);
    return f;
}

FILE* OpenFullDevice()
{
    return std::fopen("/dev/full", "wb");
}

FILE* RefusingStream()
{
    int fds[2];
    if (pipe(fds) != 0)
        return nullptr;
    close(fds[0]);
    std::signal(SIGPIPE, SIG_IGN);  // the write fails with EPIPE instead
    FILE* f = fdopen(fds[1], "wb");
    if (!f)
        close(fds[1]);
    else
        std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

FILE* FixedBufferStream(void* buffer, std::size_t room)
{
    FILE* f = fmemopen(buffer, room, "wb");
    if (f)
        setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

int RunUnderAddressLimit([[maybe_unused]] std::size_t bytes,
                         [[maybe_unused]] const std::function<int()>& body, std::string& whyNot)
{
#if KELVANE_SANITIZED
    whyNot = "AddressSanitizer reserves far more address space than the limit";
    return -1;
#else
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == -1) {
        whyNot = "fork() failed";
        return -1;
    }
    if (child == 0) {
        const rlimit limit{bytes, bytes};
        _exit(setrlimit(RLIMIT_AS, &limit) != 0 ? 3 : body());
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    if (WEXITSTATUS(status) == 3)
        whyNot = "the system refuses the address space limit";
    return WEXITSTATUS(status);
#endif
}

#ifdef __linux__

#include <linux/capability.h>
#include <sys/syscall.h>

#include <cstring>

PermissionsEnforced::PermissionsEnforced()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2];
    static_assert(sizeof caps == sizeof m_saved);
    if (syscall(SYS_capget, &header, caps) != 0)
        return;
    std::memcpy(m_saved, caps, sizeof caps);
    caps[0].effective &=
        ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
    m_bDropped = syscall(SYS_capset, &header, caps) == 0;
}

PermissionsEnforced::~PermissionsEnforced()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2];
    std::memcpy(caps, m_saved, sizeof caps);
    if (m_bDropped)
        syscall(SYS_capset, &header, caps);
}

#else  // other POSIX systems: the bits hold for every user but root

PermissionsEnforced::PermissionsEnforced() = default;
PermissionsEnforced::~PermissionsEnforced() = default;

#endif

#endif
