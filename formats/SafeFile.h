#pragma once

#include <cstdio>
#include <string>

#include "formats/SysFileName.h"  // OpenForReading
#include "formats/SysReplace.h"

// Writes a file without ever destroying the file it replaces: everything goes
// into a temporary file in the target's folder, which takes the target's place
// in one atomic rename only when it has been written completely.
//
//     CSafeFileWriter w;
//     if (!w.Open(path)) { ...path cannot be opened...; return; }
//     Write(w.stream());
//     if (!w.Commit()) { ...the old file is still there... }
//
// On POSIX systems, when the target is a symbolic link, the file the link
// points to is replaced and the link stays; the new file gets the mode of the
// file it replaces, or for a new file the mode an ordinary fopen(path, "wb")
// would give it. On Windows the rename is MoveFileExW, which replaces the
// target (also a link) in one step; the new file has its folder's permissions.
// Every system call that it makes goes through `calls` (formats/SysReplace.h).
class CSafeFileWriter
{
public:
    explicit CSafeFileWriter(const SafeFileCalls& calls = SystemSafeFileCalls())
        : m_calls(calls)
    {
    }
    ~CSafeFileWriter();  // abandons if still open
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // Creates the temporary file and opens it "wb". False when that is
    // impossible, or when the target exists and cannot be written (a read-only
    // file, a folder, anything but a regular file).
    bool Open(const std::string& targetPath);

    // The temporary file's stream while open, else null.
    FILE* stream() const { return m_pFile; }

    // Flushes, syncs and closes the temporary file and renames it over the
    // target. False if any of it fails, or if a write to the stream has
    // failed before: then the temporary file is removed and the target is
    // exactly as it was. The writer is closed afterwards either way.
    // bSync false leaves the fsyncs out, for files that can be made again:
    // the replacement stays all or nothing, but a system crash right after
    // it may lose it.
    bool Commit(bool bSync = true);

    // Closes and removes the temporary file; the target is untouched.
    void Abandon();

private:
    SafeFileCalls m_calls;
    FILE* m_pFile = nullptr;
    std::string m_strTarget;  // the file to replace, symbolic links resolved
    std::string m_strTemp;
};
