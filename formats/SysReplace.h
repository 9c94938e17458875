#pragma once

// The system calls of the safe writer (formats/SafeFile.h), gathered in one
// table: the writer makes no other call that differs between systems, and a
// test can hand it a table in which any of them fails.

#include <cstdio>
#include <string>

struct SafeFileCalls
{
    // The file that writing to `path` replaces: on POSIX every symbolic link
    // at the path's end followed, also a link to a file that does not exist
    // yet. False for a loop of links, a link that cannot be read, or a path
    // that names no file (empty, or ending in a separator).
    bool (*resolveTarget)(const std::string& path, std::string& target);

    // The target itself, opened "wb", when it is there and is neither a
    // regular file nor a folder: a device (/dev/null, NUL) or a pipe, which
    // a rename would destroy and which is therefore written directly. Null
    // with errno 0 for a regular file, a folder or no file at all; null
    // with errno set when the target is such a thing but cannot be opened.
    FILE* (*openDevice)(const std::string& target);

    // Creates a new temporary file beside `target`, named after it, and opens
    // it "wb"; its name goes into `tempPath`. The file gets the mode and the
    // owner of the target where the system allows, or for a new target what
    // fopen(target, "wb") would give it. Null when the target exists but
    // cannot be replaced (anything but a regular file, or not writable by
    // the caller) or when no file can be made.
    FILE* (*openTemp)(const std::string& target, std::string& tempPath);

    // Makes the written and flushed data of the stream lasting on the disk
    // (fsync; on macOS F_FULLFSYNC; on Windows FlushFileBuffers). A file
    // system that cannot sync counts as done.
    bool (*syncFile)(FILE* file);

    // Puts the closed temporary file in the target's place in one step. With
    // bSync the new name is made lasting too (the folder's fsync; on Windows
    // MOVEFILE_WRITE_THROUGH). False leaves the target as it was.
    bool (*replaceFile)(const std::string& tempPath, const std::string& target, bool bSync);

    // Removes the temporary file after a failure.
    bool (*removeFile)(const std::string& path);

    // Keeps the target's present file under a new temporary name beside
    // it, which goes into `keptPath`: a second link to it, or where the
    // file system has none a copy. True with `keptPath` empty when there
    // is no target yet.
    bool (*keepOld)(const std::string& target, std::string& keptPath);
};

// Each failing call leaves the system's reason in errno.

// The calls of the system the program runs on.
const SafeFileCalls& SystemSafeFileCalls();

// The name under which a path's file is written, with the links at its end
// and every "." and ".." resolved, for telling whether two paths name one
// file: equal for two paths that do. The path itself when its folder cannot
// be found.
std::string FileIdentity(const std::string& path);
