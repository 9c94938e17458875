#include "formats/SysMemStream.h"

#include <gtest/gtest.h>

#include <string>

TEST(SysMemStream, ReadsBackTheBytesThenEnds)
{
    for (const std::string& bytes : {std::string(), std::string("a"), std::string("B\0M\xff", 4)}) {
        FILE* f = OpenMemoryStream(bytes.data(), bytes.size());
        ASSERT_TRUE(f) << bytes.size();
        std::string read(bytes.size() + 1, '?');
        EXPECT_EQ(std::fread(read.data(), 1, read.size(), f), bytes.size());
        EXPECT_EQ(read.substr(0, bytes.size()), bytes);
        EXPECT_TRUE(std::feof(f));
        std::fclose(f);
    }
}
