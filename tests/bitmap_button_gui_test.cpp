#include "app/EditorDlg.h"
#include "app/Resource.h"
#include "platform/BitmapButton.h"

#include "support/GuiTest.h"

#include <QFile>
#include <QPainter>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace kelvane {

namespace {

QImage Bitmap(unsigned id)
{
    return QImage(QStringLiteral(":/res/bitmap%1.bmp").arg(id));
}

enum class Act { None, Hold, Highlight, Focus, Disable };

struct DrawCase
{
    const char* name;
    unsigned up, pushed;
    QSize size;
    Act act;
    bool loads;      // what LoadBitmaps reports
    unsigned shown;  // the image drawn, 0 for none
};

const DrawCase kDrawCases[] = {
    {"up", 148, 147, {22, 25}, Act::None, true, 148},
    {"held down", 148, 147, {22, 25}, Act::Hold, true, 147},
    {"highlight set", 135, 136, {15, 17}, Act::Highlight, true, 136},
    {"keyboard focus looks like none", 148, 147, {22, 25}, Act::Focus, true, 148},
    {"disabled without a disabled image", 148, 147, {22, 25}, Act::Disable, true, 148},
    {"image larger than the button is cut", 146, 145, {67, 24}, Act::Hold, true, 145},
    {"image smaller than the button sits top-left", 135, 136, {30, 21}, Act::None, true, 135},
    {"held without a pushed image", 148, 0, {22, 25}, Act::Hold, true, 148},
    {"missing pushed image", 152, 9999, {22, 25}, Act::Highlight, false, 152},
    {"missing up image stops loading", 9999, 147, {22, 25}, Act::Highlight, false, 0},
};

void PrintTo(const DrawCase& c, std::ostream* os)
{
    *os << c.name;
}

class BitmapButtonDraw : public ::testing::TestWithParam<DrawCase>
{
};

TEST_P(BitmapButtonDraw, ShowsChosenImageUnscaledOnTheBackground)
{
    const DrawCase c = GetParam();
    // The host's background stands for the dialog's, in a colour no image has.
    const QColor background(0, 40, 0);
    QWidget host;
    host.resize(c.size + QSize(20, 20));
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, background);
    host.setPalette(pal);
    auto* button = new CBitmapButton(&host);
    button->setGeometry(QRect(QPoint(10, 10), c.size));
    EXPECT_EQ(button->LoadBitmaps(c.up, c.pushed), c.loads);
    host.show();
    ASSERT_TRUE(WaitExposed(&host));

    switch (c.act) {
    case Act::None:
        break;
    case Act::Hold:
        QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        break;
    case Act::Highlight:
        button->SetState(true);
        break;
    case Act::Focus:
        host.activateWindow();
        button->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(button->hasFocus());
        EXPECT_EQ(button->GetState(), unsigned(BST_FOCUS));
        break;
    case Act::Disable:
        button->setEnabled(false);
        break;
    }
    ProcessEvents();
    const bool pushed = c.act == Act::Hold || c.act == Act::Highlight;
    EXPECT_EQ(bool(button->GetState() & BST_PUSHED), pushed);

    QImage expected(c.size, QImage::Format_RGB32);
    expected.fill(background);
    if (c.shown)
        QPainter(&expected).drawImage(0, 0, Bitmap(c.shown));
    EXPECT_EQ(Grab(&host).copy(button->geometry()), expected);
    if (c.act == Act::Hold)
        QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
}

INSTANTIATE_TEST_SUITE_P(Cases, BitmapButtonDraw, ::testing::ValuesIn(kDrawCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

// The committed images: each an uncompressed 8-bit BMP with a 256-colour
// palette, of its button's size, its pushed image unlike its up image.
TEST(ButtonImages, EachPairIs8BitOfItsSizeAndPushedDiffersFromUp)
{
    for (const CEditorDlg::Button& b : CEditorDlg::kButtons) {
        // Command buttons' images are 24 x 24, Modify's 75 x 25, the colour
        // spheres' 16 x 16.
        const QSize size = b.id == IDC_MODIFY ? QSize(75, 25)
                           : b.id >= IDC_COLOR1 && b.id <= IDC_COLOR4 ? QSize(16, 16)
                                                                     : QSize(24, 24);
        for (const unsigned id : {b.up, b.down}) {
            QFile file(QStringLiteral(":/res/bitmap%1.bmp").arg(id));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << id;
            const QByteArray bytes = file.readAll();
            ASSERT_GE(bytes.size(), 54) << id;
            const auto* header = reinterpret_cast<const uchar*>(bytes.constData());
            EXPECT_EQ(qFromLittleEndian<quint16>(header + 28), 8) << id;  // bits per pixel
            EXPECT_EQ(qFromLittleEndian<quint32>(header + 30), 0u) << id;  // no compression
            const quint32 colours = qFromLittleEndian<quint32>(header + 46);
            EXPECT_TRUE(colours == 0 || colours == 256) << id;
            const QImage image = Bitmap(id);
            EXPECT_EQ(image.format(), QImage::Format_Indexed8) << id;
            EXPECT_EQ(image.size(), size) << id;
        }
        EXPECT_NE(Bitmap(b.up), Bitmap(b.down)) << b.up;
    }
}

}  // namespace

} // namespace kelvane
