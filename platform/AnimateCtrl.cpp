#include "AnimateCtrl.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>

#include <algorithm>

namespace kelvane::win {

namespace {

std::int64_t MonotonicUs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.nsecsElapsed() / 1000;
}

CAnimateCtrl::TimeSource g_timeSource = MonotonicUs;

}  // namespace

void CAnimateCtrl::SetTimeSource(TimeSource source)
{
    g_timeSource = source ? source : MonotonicUs;
}

CAnimateCtrl::CAnimateCtrl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CAnimateCtrl::OnTimer);
}

bool CAnimateCtrl::Open(unsigned nID)
{
    Close();
    QFile file(QStringLiteral(":/res/clip%1.avi").arg(nID));
    if (!file.open(QIODevice::ReadOnly)) {
        m_strError = "there is no clip " + std::to_string(nID);
        return false;
    }
    const QByteArray bytes = file.readAll();
    m_strError = m_clip.Read(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                             std::size_t(bytes.size()));
    // A clip whose first frame cannot be decoded is as good as none.
    std::vector<std::uint8_t> pixels;
    if (m_strError.empty())
        m_strError = m_clip.DecodeFrame(0, pixels);
    if (!m_strError.empty()) {
        m_clip.Read(nullptr, 0);
        return false;
    }
    m_bOpen = true;
    m_nStill = 0;
    // Not a centring control: it takes the size of the clip's frames.
    resize(m_clip.Width(), m_clip.Height());
    update();
    return true;
}

bool CAnimateCtrl::Play(unsigned nFrom, unsigned nTo, unsigned nRep)
{
    if (!m_bOpen)
        return false;
    const unsigned last = unsigned(m_clip.FrameCount() - 1);
    if (nTo == kLastFrame)
        nTo = last;
    if (nFrom > last || nTo > last || nFrom > nTo)
        return false;
    m_nFrom = int(nFrom);
    m_nTo = int(nTo);
    m_nRep = nRep;
    m_nStill = m_nFrom;
    m_bPlaying = nFrom != nTo && nRep != 0;
    m_startUs = g_timeSource();
    m_timer.stop();
    if (m_bPlaying)
        OnTimer();
    update();
    return true;
}

bool CAnimateCtrl::Stop()
{
    if (!m_bOpen)
        return false;
    m_nStill = CurrentFrame();
    m_bPlaying = false;
    m_timer.stop();
    return true;
}

void CAnimateCtrl::Close()
{
    m_timer.stop();
    m_bPlaying = false;
    m_bOpen = false;
    m_nStill = -1;
    m_nImageFrame = -1;
    m_image = QImage();
    m_clip.Read(nullptr, 0);
    update();
}

std::intptr_t CAnimateCtrl::SendMessage(unsigned message, std::uintptr_t wParam,
                                        std::intptr_t lParam)
{
    switch (message) {
    case ACM_OPEN:
        if (wParam != 0)
            return false;  // clips come from the program's own resources only
        if (lParam == 0) {
            Close();
            return true;
        }
        return Open(unsigned(lParam));
    case ACM_PLAY:
        return Play(unsigned(lParam & 0xFFFF), unsigned((lParam >> 16) & 0xFFFF),
                    unsigned(wParam));
    case ACM_STOP:
        return Stop();
    default:
        return 0;
    }
}

int CAnimateCtrl::FrameNow(std::int64_t* pNextUs) const
{
    const std::int64_t period = m_clip.MicroSecPerFrame();
    const std::int64_t elapsed = std::max<std::int64_t>(0, g_timeSource() - m_startUs);
    const std::int64_t span = m_nTo - m_nFrom + 1;
    const std::int64_t shown = elapsed / period;  // frames shown since Play
    if (pNextUs)
        *pNextUs = (shown + 1) * period - elapsed;
    if (m_nRep != kRepeatForever && shown >= std::int64_t(m_nRep) * span) {
        if (pNextUs)
            *pNextUs = -1;  // played out
        return m_nTo;
    }
    return m_nFrom + int(shown % span);
}

int CAnimateCtrl::CurrentFrame() const
{
    return m_bPlaying ? FrameNow() : m_nStill;
}

void CAnimateCtrl::OnTimer()
{
    if (!m_bPlaying)
        return;
    std::int64_t nextUs = 0;
    const int frame = FrameNow(&nextUs);
    if (frame != m_nImageFrame)
        update();
    if (nextUs < 0) {
        m_nStill = frame;
        m_bPlaying = false;
        return;
    }
    // Wake at the next frame boundary (rounded up, so never early).
    m_timer.start(int(std::max<std::int64_t>(1, (nextUs + 999) / 1000)));
}

const QImage& CAnimateCtrl::FrameImage(int index)
{
    if (index == m_nImageFrame)
        return m_image;
    std::vector<std::uint8_t> pixels;
    m_clip.DecodeFrame(index, pixels);  // a damaged frame shows what decoded
    const int w = m_clip.Width();
    const int h = m_clip.Height();
    QImage image(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (std::uint32_t rgb : m_clip.Palette())
        table.append(0xff000000u | rgb);
    image.setColorTable(table);
    for (int y = 0; y < h; ++y)
        std::copy_n(&pixels[std::size_t(y) * std::size_t(w)], w, image.scanLine(y));
    m_image = image;
    m_nImageFrame = index;
    return m_image;
}

void CAnimateCtrl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const int frame = CurrentFrame();
    if (!m_bOpen || frame < 0)
        return;
    // 1:1 in the control's pixels; on a high-density screen each clip pixel
    // becomes a block of device pixels, never smoothed.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QPoint(0, 0), FrameImage(frame));
}

} // namespace kelvane::win
