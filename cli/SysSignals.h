#pragma once

// The signals that end a run from outside: SIGINT, SIGTERM and SIGHUP on
// POSIX (sigaction, sigprocmask); Ctrl+C, Ctrl+Break and the console's
// closing on Windows (SetConsoleCtrlHandler).

// From now on such a signal removes the run's temporary files
// (RemoveTemporaryFiles) and then ends the process as it would have without
// the handler. A signal the process ignores stays ignored.
void RemoveTemporaryFilesOnExitSignals();

// While one lives, such a signal waits: the outputs are put in place all or
// none before it ends the process.
class CExitSignalsHeld
{
public:
    CExitSignalsHeld();
    ~CExitSignalsHeld();
    CExitSignalsHeld(const CExitSignalsHeld&) = delete;
    CExitSignalsHeld& operator=(const CExitSignalsHeld&) = delete;
};
