#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

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
// A target that is neither a regular file nor a folder (a device such as
// /dev/null, a pipe) cannot be replaced that way: it is written directly,
// and Commit only flushes and closes it.
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
    // file, a folder); errno tells why.
    bool Open(const std::string& targetPath);

    // The temporary file's stream while open, else null.
    FILE* stream() const { return m_pFile; }

    // Flushes, syncs and closes the temporary file and renames it over the
    // target. False if any of it fails, or if a write to the stream has
    // failed before: then the temporary file is removed and the target is
    // exactly as it was; errno tells why. The writer is closed afterwards
    // either way. bSync false leaves the fsyncs out, for files that can be
    // made again: the replacement stays all or nothing, but a system crash
    // right after it may lose it.
    bool Commit(bool bSync = true) { return Finish(bSync) && PutInPlace(bSync); }

    // Commit in two steps. Finish flushes, syncs and closes the file; on
    // failure it abandons it.
    bool Finish(bool bSync);
    // After Finish: renames the temporary file over the target; on failure
    // it removes the temporary file.
    bool PutInPlace(bool bSync);

    // Closes and removes the temporary file; the target is untouched.
    void Abandon();

    // The file replaced, symbolic links resolved; "" when closed.
    const std::string& target() const { return m_strTarget; }
    // True for a target written directly (a device, a pipe).
    bool direct() const { return m_bDirect; }

private:
    void Close();

    SafeFileCalls m_calls;
    FILE* m_pFile = nullptr;
    bool m_bDirect = false;
    bool m_bFinished = false;  // closed by Finish, not yet put in place
    std::string m_strTarget;  // the file to replace, symbolic links resolved
    std::string m_strTemp;
};

// The outputs of one run, replaced all or none: each is written like a
// CSafeFileWriter's, and Commit puts every one in place only when all have
// been written; should putting one in place fail, those put in place before
// get their old file back (kept under a temporary name beside it until the
// end), so that a failed run leaves every output as it was.
//
//     CSafeFileSet set;
//     FILE* a = set.Open(pathA);  ...write...
//     FILE* b = set.Open(pathB);  ...write...
//     std::size_t failed;
//     if (!set.Commit(true, failed)) { ...output `failed` failed: errno... }
class CSafeFileSet
{
public:
    explicit CSafeFileSet(const SafeFileCalls& calls = SystemSafeFileCalls()) : m_calls(calls) {}
    ~CSafeFileSet() { Abandon(); }
    CSafeFileSet(const CSafeFileSet&) = delete;
    CSafeFileSet& operator=(const CSafeFileSet&) = delete;

    // Opens one more output; its stream, or null (errno tells why). The
    // output counts in the set either way.
    FILE* Open(const std::string& targetPath);

    // Puts every output in place, or none; see above. On failure `failed`
    // is the index of the output that failed and errno tells why; every
    // temporary file is gone either way.
    bool Commit(bool bSync, std::size_t& failed);

    // Removes every temporary file; no output is touched.
    void Abandon();

private:
    SafeFileCalls m_calls;
    std::vector<std::unique_ptr<CSafeFileWriter>> m_writers;
};

// The temporary files of the writers still at work, for the handler of a
// signal that ends the process: removes them with async-signal-safe calls
// only. Writers register their files themselves.
void RemoveTemporaryFiles();
