// The clipboard: the editor's tile and the whole sheet copied and pasted
// with the keys, as the program's own format and as pictures.
#include "support/MainWindowTest.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QTest>

#include <functional>

namespace kelvane {

namespace {

// A picture whose pixel (x, y), top row first, has colour f(x, y).
QImage Picture(int width, int height, const std::function<QRgb(int, int)>& f)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, f(x, y));
    return picture;
}

// The tile whose pixel (x, y), top row first, is f(x, y) (the buffer keeps its bottom row first).
TileBuffer Tile(const std::function<int(int, int)>& f)
{
    TileBuffer tile{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            tile[std::size_t(8 * (7 - y) + x)] = std::uint8_t(f(x, y));
    return tile;
}

using ClipboardTest = MainWindowTest;

TEST_F(ClipboardTest, TilesAndTheSheetGoThroughTheClipboard)
{
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
        QTest::keyClick(m_dlg->focusWidget() ? m_dlg->focusWidget() : m_dlg.get(), k, mods);
    };
    const auto ramp = [](int x, int y) { return 85 * ((x + 2 * y) % 4); };
    const TileBuffer rampTile = Tile(ramp);
    // Ctrl+C: the red ramp picture and the levels, top row first.
    m_edit->SetTile(&rampTile);
    key(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied && copied->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(copied->imageData()).convertToFormat(QImage::Format_RGB32),
              Picture(8, 8, [&](int x, int y) { return qRgb(ramp(x, y), 0, 0); }));
    const QByteArray own = copied->data(QStringLiteral("application/x-kelvane-tile"));
    ASSERT_EQ(own.size(), 64);
    EXPECT_EQ(std::uint8_t(own[8 + 1]), ramp(1, 1));

    // Colours reduced to the nearest shade, by their brightest component.
    const QRgb others[] = {qRgb(40, 40, 40), qRgb(0, 50, 0), qRgb(100, 200, 30), qRgb(250, 0, 250)};
    const auto withImage = [](const QImage& picture) {
        return [picture](QMimeData* data) { data->setImageData(picture); };
    };
    const TileBuffer blank{};
    const struct
    {
        const char* what;
        std::function<void(QMimeData*)> put;
        const char* message;
        TileBuffer pasted;
    } cases[] = {
        {"the program's format", [&](QMimeData* d) { d->setData("application/x-kelvane-tile", own); },
         nullptr, rampTile},
        {"an 8 x 8 picture in the four shades",
         withImage(Picture(8, 8, [&](int x, int y) { return qRgb(ramp(x, y), 0, 0); })), nullptr,
         rampTile},
        {"other colours", withImage(Picture(8, 8, [&](int x, int) { return others[x % 4]; })),
         nullptr, Tile([](int x, int) { return 85 * (x % 4); })},
        {"another size", withImage(Picture(16, 8, [](int, int) { return qRgb(255, 0, 0); })),
         "The picture on the clipboard is 16 x 8 pixels; Ctrl+V takes a picture of 8 x 8 pixels.",
         blank},
    };
    for (const auto& c : cases) {
        m_edit->SetTile(&blank);
        auto* data = new QMimeData;
        c.put(data);
        QGuiApplication::clipboard()->setMimeData(data);
        SeenMessageBox seen;
        if (c.message)
            m_script.then(AnswerMessageBox(&seen, QMessageBox::Ok));
        key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(m_script.done()) << c.what;
        EXPECT_EQ(seen.text, c.message ? c.message : "") << c.what;
        EXPECT_EQ(m_edit->GetPixels(), c.pasted) << c.what;
        key(Qt::Key_Z, Qt::ControlModifier);  // Undo: the tile before the paste
        EXPECT_EQ(m_edit->GetPixels(), blank) << c.what;
    }

    // The sheet: copied, cleared, pasted back as Open reads it (the editor
    // from the selected tile); a tile's picture is not a sheet's.
    m_sheet->PutTile(rampTile, 3, 0);
    m_sheet->PutTile(rampTile, 15, 15);
    const CTileSheet before = m_sheet->Sheet();
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData()).size(),
              QSize(128, 128));
    m_sheet->Clear();
    m_sheet->Sheet().Select(3, 0);
    key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(std::equal(before.GetPixels(), before.GetPixels() + kSheetBytes, m_sheet->GetPixels()));
    EXPECT_EQ(m_edit->GetPixels(), rampTile);
    QGuiApplication::clipboard()->setImage(Picture(8, 8, [](int, int) { return qRgb(0, 0, 0); }));
    SeenMessageBox seen;
    m_script.then(AnswerMessageBox(&seen, QMessageBox::Ok));
    key(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(seen.text, "The picture on the clipboard is 8 x 8 pixels; Ctrl+Shift+V takes a "
                         "picture of 128 x 128 pixels.");
    EXPECT_TRUE(std::equal(before.GetPixels(), before.GetPixels() + kSheetBytes, m_sheet->GetPixels()));
}

}  // namespace

} // namespace kelvane
