#include "formats/DibFile.h"

#include "support/TestFiles.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstring>

namespace kelvane {

// An exported file, decoded by Qt's own BMP reader, shows the sheet upright
// in the red ramp colours.
TEST(DibExportDecoded, QtShowsTheSheetUprightInRedRamp)
{
    CTileSheet sheet;
    std::uint8_t* pixels = sheet.GetPixels();
    for (int x = 0; x < 128; ++x)
        pixels[127 * 128 + x] = 255;  // top displayed row
    pixels[0] = 170;                  // bottom-left corner
    pixels[64 * 128 + 5] = 85;
    pixels[100 * 128 + 99] = 200;     // any byte shows as red of its value

    TempDir dir;
    const std::string path = dir.file("sheet.dib");
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(WriteDibFile(f, sheet), "");
    std::fclose(f);

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path), "BMP"));
    ASSERT_EQ(image.width(), 128);
    ASSERT_EQ(image.height(), 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const std::uint8_t level = pixels[(127 - y) * 128 + x];
            ASSERT_EQ(image.pixel(x, y), RedRampArgb(level)) << "x " << x << " y " << y;
        }
    EXPECT_EQ(image.pixel(0, 0), RedRampArgb(255));
    EXPECT_EQ(image.pixel(0, 127), RedRampArgb(170));
    EXPECT_EQ(image.pixel(5, 63), RedRampArgb(85));
}

} // namespace kelvane
