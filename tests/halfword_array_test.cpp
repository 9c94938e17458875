#include "formats/HalfwordArray.h"

#include "support/TestSystem.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

TEST(HalfwordArray, EachWriterGivesItsExactBytesOrFailsWhereTheStreamIsFull)
{
    Halfwords nine;
    for (std::uint16_t v = 0; v < 9; ++v)
        nine.push_back(std::uint16_t(v * 0x1111 + 0xf0));
    // 4097 values: one more than a write of the binary writer takes at once.
    Halfwords many(4097);
    Bytes manyBytes;
    for (std::size_t i = 0; i < many.size(); ++i) {
        many[i] = std::uint16_t(i * 0x0101 + 0x8000);
        PutU16(manyBytes, many[i]);
    }
    const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    const struct {
        const char* what;
        std::function<std::string(FILE*)> write;
        Bytes bytes;
    } cases[] = {
        {"bin", [](FILE* f) { return WriteHalfwordsBin(f, {0x1234, 0xabcd}); }, {0x34, 0x12, 0xcd, 0xab}},
        {"bin, two writes", [&](FILE* f) { return WriteHalfwordsBin(f, many); }, manyBytes},
        {"C, lines of 8", [&](FILE* f) { return WriteHalfwordsC(f, "map", "BGMap", nine); },
         text("/* BGMap */\n#ifdef __cplusplus\nextern \"C\"\n#endif\n"
              "const unsigned short map[9] = {\n"
              "    0x00f0, 0x1201, 0x2312, 0x3423, 0x4534, 0x5645, 0x6756, 0x7867,\n"
              "    0x8978\n};\n")},
        {"asm map, rows of 9 cells", [&](FILE* f) { return WriteMapAsm(f, Halfwords(nine.rbegin(), nine.rend()), 3); },
         text(";BGMap, 3 cells per row\n"
              "dh. 0x8978,0x7867,0x6756 ; Row 0\n"
              "dh. 0x5645,0x4534,0x3423 ; Row 1\n"
              "dh. 0x2312,0x1201,0x00f0 ; Row 2\n")},
        {"asm map, a row in two lines", [&](FILE* f) { return WriteMapAsm(f, nine, 9); },
         text(";BGMap, 9 cells per row\n"
              "dh. 0x00f0,0x1201,0x2312,0x3423,0x4534,0x5645,0x6756,0x7867 ; Row 0\n"
              "dh. 0x8978 ; Row 0\n")},
        // The ninth row starts a char that is not all there: left out.
        {"asm chars", [&](FILE* f) { return WriteCharsAsm(f, nine); },
         text(";Char Map, rows top first\n"
              "dh. 0x00f0,0x1201,0x2312,0x3423,0x4534,0x5645,0x6756,0x7867 ; Char0\n")},
    };
    for (const auto& c : cases) {
        FILE* out = StreamWith({});
        EXPECT_EQ(c.write(out), "") << c.what;
        EXPECT_EQ(StreamBytes(out), c.bytes) << c.what;
        std::fclose(out);
        // Every room short of the whole output fails; the whole fits exactly.
        for (std::size_t room = 1; room <= c.bytes.size(); ++room) {
            Bytes buffer(room + 1);
            FILE* f = FixedBufferStream(buffer.data(), room);
            if (!f)
                GTEST_SKIP() << "no fixed-size memory streams (fmemopen) here";
            ASSERT_EQ(c.write(f), room < c.bytes.size() ? kHalfwordWriteError : "")
                << c.what << ", room " << room;
            std::fclose(f);
        }
    }
}

TEST(HalfwordArray, ArrayNamesAreCIdentifiers)
{
    for (const auto& [text, name] : std::vector<std::pair<std::string, std::string>>{
             {"tiles_2", "tiles_2"}, {"my map.v1", "my_map_v1"}, {"9lives", "_9lives"},
             {"", "_"}, {"caf\xc3\xa9", "caf__"}, {"-", "_"}})
        EXPECT_EQ(CArrayName(text), name) << text;
}
