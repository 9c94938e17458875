// Benchmarks of the paint paths and the file codecs. Paints render offscreen
// at 96 DPI into a pixmap of the view's size; each view size also has a
// plain RGB32 draw of the same pixels to compare with. scripts/bench.sh runs
// this and judges the goals.
#include "app/EditorDlg.h"
#include "formats/AviClip.h"
#include "formats/DibFile.h"
#include "formats/NativeFile.h"
#include "formats/RomImage.h"
#include "platform/BitmapButton.h"
#include "platform/DialogUnits.h"
#include "platform/WindowProc.h"
#include "tiles/CharCodec.h"
#include "views/TileEditWnd.h"
#include "views/TileSheetWnd.h"
#include "views/ViewPaint.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>


using namespace kelvane;

namespace {

// The tile editor's size at zoom steps 0 to 3 in its frame of 172 x 146.
const QSize kEditorSizes[] = {{172, 146}, {120, 104}, {68, 62}, {16, 20}};

QSize SheetSize()
{
    return MapDialogRect(145, 5, 130, 110).size();
}

void FillLevels(std::uint8_t* levels, int n)
{
    for (int i = 0; i < n; ++i)
        levels[i] = LevelFromIndex(i * 7 + i / 13);
}

void RenderLoop(benchmark::State& state, QWidget& view)
{
    QPixmap pixmap(view.size());
    for (auto _ : state) {
        view.render(&pixmap);
        benchmark::DoNotOptimize(pixmap.cacheKey());
    }
}

void EditorPaint(benchmark::State& state)
{
    QWidget host;
    CTileEditWnd editor;
    editor.CreateView(QRect(QPoint(0, 0), kEditorSizes[state.range(0)]), &host);
    FillLevels(editor.GetPixels().data(), kTileBytes);
    RenderLoop(state, editor);
}
BENCHMARK(EditorPaint)->DenseRange(0, 3);

void SheetPaint(benchmark::State& state)
{
    QWidget host;
    CTileSheetWnd sheet;
    sheet.CreateView(QRect(QPoint(0, 0), SheetSize()), &host);
    FillLevels(sheet.Sheet().GetPixels(), kSheetBytes);
    RenderLoop(state, sheet);
}
BENCHMARK(SheetPaint);

// A plain RGB32 image of the same pixels, stretched into the same place by a
// widget of the view's size rendered the same way: what any paint of these
// pixels costs. Arguments: view width, height, picture side.
class CPlainView : public QWidget
{
public:
    explicit CPlainView(QImage image) : m_image(std::move(image))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(QRect(1, 1, width() - 2, height() - 2), m_image);
    }

private:
    QImage m_image;
};

void PlainDraw(benchmark::State& state)
{
    const int side = int(state.range(2));
    std::vector<std::uint8_t> levels(std::size_t(side) * side);
    FillLevels(levels.data(), int(levels.size()));
    CPlainView view(BottomUpLevelImage(levels.data(), side, side));
    view.resize(int(state.range(0)), int(state.range(1)));
    RenderLoop(state, view);
}

void PlainDrawArgs(benchmark::internal::Benchmark* b)
{
    for (const QSize& s : kEditorSizes)
        b->Args({s.width(), s.height(), kTilePixels});
    b->Args({SheetSize().width(), SheetSize().height(), kSheetPixels});
}
BENCHMARK(PlainDraw)->Apply(PlainDrawArgs);

// The Zoom button (15 x 15 units) drawn from its up and pushed image.
void ButtonPaint(benchmark::State& state)
{
    QWidget host;
    CBitmapButton button(&host);
    if (!button.LoadBitmaps(156, 160))
        state.SkipWithError("button images missing");
    button.setGeometry(MapDialogRect(20, 100, 15, 15));
    button.SetState(state.range(0) != 0);
    RenderLoop(state, button);
}
BENCHMARK(ButtonPaint)->Arg(0)->Arg(1);

// The main window's caption repainted from its cached image (0) and with a
// new image drawn first (1).
void CaptionRepaint(benchmark::State& state)
{
    CEditorDlg dlg;
    dlg.show();
    QCoreApplication::processEvents();
    const bool fresh = state.range(0) != 0;
    for (auto _ : state) {
        if (fresh)
            dlg.RefreshCaption();
        else
            SendMessageA(&dlg, WM_NCPAINT, 1, 0);
    }
    dlg.hide();
}
BENCHMARK(CaptionRepaint)->Arg(0)->Arg(1);

// One frame of the About box's clip decoded (frame `range(0)`).
void ClipFrameDecode(benchmark::State& state)
{
    QFile file(QStringLiteral(":/res/clip142.avi"));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    CAviClip clip;
    const std::string error =
        clip.Read(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    if (!error.empty() || clip.FrameCount() <= state.range(0)) {
        state.SkipWithError(error.empty() ? "clip too short" : error.c_str());
        return;
    }
    std::vector<std::uint8_t> pixels;
    for (auto _ : state)
        benchmark::DoNotOptimize(clip.DecodeFrame(int(state.range(0)), pixels));
    state.counters["pixels"] = double(clip.Width() * clip.Height());
}
BENCHMARK(ClipFrameDecode)->Arg(0)->Arg(1);

// ---------------------------------------------------------------------------
// Files

std::string TempPath(const char* name)
{
    static const std::string run = std::to_string(std::random_device()());
    return (std::filesystem::temp_directory_path() / ("kelvane_bench_" + run + "_" + name)).string();
}

// Writes an 8-bit DIB of side x side pixels; the pixel rows are left to the
// file system as a hole of zeros, so a 100 MB file costs no time to make.
std::string MakeDib(int side)
{
    const std::string path = TempPath(("dib" + std::to_string(side)).c_str());
    CTileSheet sheet;
    FILE* f = std::fopen(path.c_str(), "wb");
    WriteDibFile(f, sheet);  // a valid 128 x 128 file, then the size fixed up
    const std::uint32_t stride = (std::uint32_t(side) + 3) & ~3u;
    const std::uint64_t size = 1078 + std::uint64_t(stride) * std::uint32_t(side);
    auto put32 = [f](long at, std::uint32_t v) {
        std::fseek(f, at, SEEK_SET);
        const unsigned char b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                                    std::uint8_t(v >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    put32(2, std::uint32_t(size));
    put32(18, std::uint32_t(side));
    put32(22, std::uint32_t(side));
    put32(34, stride * std::uint32_t(side));
    std::fclose(f);
    std::error_code ec;
    std::filesystem::resize_file(path, size, ec);
    if (ec)
        std::abort();
    return path;
}

long StatusKib(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// How far the resident memory rises above its level before `run`, in KiB:
// the peak is reset first (clear_refs 5).
long PeakGrowthKib(const std::function<void()>& run)
{
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKib("VmRSS:");
    run();
    return StatusKib("VmHWM:") - before;
}

void DibImport(benchmark::State& state)
{
    const std::string path = MakeDib(int(state.range(0)));
    CTileSheet sheet;
    auto import = [&] {
        FILE* f = std::fopen(path.c_str(), "rb");
        const std::string message = ReadDibFile(f, sheet, {});
        std::fclose(f);
        if (!message.empty())
            state.SkipWithError(message.c_str());
    };
    for (auto _ : state)
        import();
    state.counters["peak_kib"] = double(PeakGrowthKib(import));
    std::remove(path.c_str());
}
BENCHMARK(DibImport)->Arg(128)->Arg(10000);

void RomImport(benchmark::State& state)
{
    const std::string path = TempPath("rom");
    {
        std::vector<char> image(4u << 20);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = char(i * 31 + i / 4099);
        std::ofstream(path, std::ios::binary).write(image.data(), std::streamsize(image.size()));
    }
    FILE* f = std::fopen(path.c_str(), "rb");
    CTileSheet sheet;
    for (auto _ : state) {
        const std::uint32_t size = RomFileSize(f);
        benchmark::DoNotOptimize(ReadRomChars(f, sheet, size - 256 * 16 - 1000, 256));
    }
    std::fclose(f);
    std::remove(path.c_str());
}
BENCHMARK(RomImport);

void NativeWriteRead(benchmark::State& state, bool write)
{
    const std::string path = TempPath(write ? "write.kl" : "read.kl");
    FILE* f = std::fopen(path.c_str(), "w+b");
    CTileSheet sheet;
    FillLevels(sheet.GetPixels(), kSheetBytes);
    WriteNativeFile(f, sheet, 256);
    for (auto _ : state) {
        std::rewind(f);
        benchmark::DoNotOptimize(write ? WriteNativeFile(f, sheet, 256) : ReadNativeFile(f, sheet));
    }
    std::fclose(f);
    std::remove(path.c_str());
}
BENCHMARK_CAPTURE(NativeWriteRead, Read, false);
BENCHMARK_CAPTURE(NativeWriteRead, Write, true);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_FONT_DPI", "96", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
