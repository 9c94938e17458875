#include "cli/SysSignals.h"

#include "formats/SafeFile.h"

#ifdef _WIN32

#include <windows.h>

#include <atomic>

namespace {

std::atomic<int> g_held{0};

// Runs in a thread of its own; the process ends when it returns FALSE.
BOOL WINAPI OnConsoleControl(DWORD)
{
    while (g_held.load() > 0)
        Sleep(10);
    RemoveTemporaryFiles();
    return FALSE;
}

}  // namespace

void RemoveTemporaryFilesOnExitSignals()
{
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

CExitSignalsHeld::CExitSignalsHeld()
{
    ++g_held;
}

CExitSignalsHeld::~CExitSignalsHeld()
{
    --g_held;
}

#else  // POSIX

#include <signal.h>

namespace {

const int kExitSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t ExitSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kExitSignals)
        sigaddset(&set, sig);
    return set;
}

sigset_t g_before;  // the mask before the signals were held

// The action is reset to the default one on entry (SA_RESETHAND), so the
// signal raised again ends the process once the handler returns.
extern "C" void OnExitSignal(int sig)
{
    RemoveTemporaryFiles();
    raise(sig);
}

}  // namespace

void RemoveTemporaryFilesOnExitSignals()
{
    for (const int sig : kExitSignals) {
        struct sigaction old{};
        if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action{};
        action.sa_handler = OnExitSignal;
        action.sa_mask = ExitSignals();
        action.sa_flags = SA_RESETHAND;
        sigaction(sig, &action, nullptr);
    }
}

CExitSignalsHeld::CExitSignalsHeld()
{
    const sigset_t set = ExitSignals();
    sigprocmask(SIG_BLOCK, &set, &g_before);
}

CExitSignalsHeld::~CExitSignalsHeld()
{
    sigprocmask(SIG_SETMASK, &g_before, nullptr);
}

#endif
