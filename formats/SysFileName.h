#pragma once

// File names as the system takes them. Names travel through the program as
// UTF-8; this file alone knows the system's own form.

#include <cstdio>
#include <string>

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

// The UTF-16 form of a UTF-8 file name, for the Windows branches of the
// other system files; empty for a name that is not UTF-8. Defined on
// Windows only.
std::wstring WideFileName(const std::string& path);
