#pragma once

// File names as the system takes them. Names travel through the program as
// UTF-8; this file alone knows the system's own form.

#include <cstdio>
#include <string>
#include <vector>

// The program's arguments in UTF-8, for main to pass on: argv itself on
// POSIX; on Windows the command line read again in UTF-16, since argv holds
// it in the local code page, which loses every character outside it.
class CProgramArguments
{
public:
    CProgramArguments(int argc, char** argv);
    CProgramArguments(const CProgramArguments&) = delete;
    CProgramArguments& operator=(const CProgramArguments&) = delete;

    int argc() const { return int(m_args.size()); }
    char** argv() { return m_argv.data(); }

private:
    std::vector<std::string> m_args;
    std::vector<char*> m_argv;  // into m_args, ending in a null
};

// Opens a file named in UTF-8 with fopen's mode ("rb", "wb", ...); Windows
// gets the name in UTF-16. Null on failure, also for a name that is not
// UTF-8.
FILE* OpenFile(const std::string& path, const char* mode);

// Opens a file for reading ("rb"), or gives null with errno telling why. A
// folder, which opens for reading on some systems but holds no file to
// read, gives null (EISDIR). A named pipe
// without a writer does not hold the caller at the open: it reads as an
// empty file.
FILE* OpenForReading(const std::string& path);

// Removes a file; false when it cannot.
bool RemoveFile(const std::string& path);

// Removes a file from a signal's handler: on POSIX with async-signal-safe
// calls only (unlink); Windows runs its handlers in a thread of their own.
void RemoveFileInHandler(const char* path);

// Where the last component of a path begins: after the last separator
// ('/'; on Windows also '\\' and a drive's ':').
std::size_t FileNameStart(const std::string& path);

// The words for a failure of these calls or the safe writer's that left
// `error` in errno: strerror's, and on Windows the system's own reason where
// the C library has no words for it (a file in use by another program).
std::string ErrorReason(int error);

// The UTF-16 form of a UTF-8 file name, for the Windows branches of the
// other system files; empty for a name that is not UTF-8. A name of
// MAX_PATH (260) characters or more becomes absolute with the "\\?\"
// prefix, which lifts that limit. Defined on Windows only.
std::wstring WideFileName(const std::string& path);

// The UTF-8 form of a UTF-16 name. Defined on Windows only.
std::string Utf8FromWide(const std::wstring& wide);

// Puts the reason of the Windows call that just failed (GetLastError) into
// errno, where ErrorReason finds it. Defined on Windows only.
void SetErrnoFromLastError();
