#pragma once

// The fixture of the safe writer's suites (safe_file_test.cpp for every
// system, safe_file_posix_test.cpp for POSIX only).

#include "formats/SafeFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

inline const Bytes kOld = {'o', 'l', 'd'};
inline const Bytes kNew = {'n', 'e', 'w', '!', '\n'};

inline bool Put(CSafeFileWriter& w, const Bytes& b)
{
    return w.stream() && std::fwrite(b.data(), 1, b.size(), w.stream()) == b.size();
}

// A folder holding the old file tiles.kl.
class SafeFile : public testing::Test
{
protected:
    void SetUp() override { WriteFileBytes(target, kOld); }

    TempDir dir;
    const std::string target = dir.file("tiles.kl");
};
