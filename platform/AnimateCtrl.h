#pragma once

#include "platform/Platform.h"
#include "formats/AviClip.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>

#include "platform/NoWindowsMacros.h"  // after every other include

namespace kelvane::win {

// The animation control: plays an 8-bit clip from the program's resources
// (":/res/clip<id>.avi"), each frame drawn 1:1 at the control's top-left
// corner through the clip's palette on the control's own black background.
// The frame on screen follows a monotonic clock read at Play, so the clip
// keeps its own rate however late the timer fires; the timer only asks for
// repaints at the frame boundaries.
class CAnimateCtrl : public QWidget
{
    Q_OBJECT

public:
    // The control's messages, for SendMessage.
    // ACM_OPEN: wParam the module (0: the program's own), lParam the clip id
    // (0: close). ACM_PLAY: wParam the repeats, lParam first | last << 16.
    static constexpr unsigned ACM_OPEN = 1124;
    static constexpr unsigned ACM_PLAY = 1125;
    static constexpr unsigned ACM_STOP = 1126;
    // Last frame of ACM_PLAY meaning the clip's last frame; repeats without end.
    static constexpr unsigned kLastFrame = 0xFFFF;
    static constexpr unsigned kRepeatForever = unsigned(-1);

    explicit CAnimateCtrl(QWidget* parent = nullptr);

    // The clock every control's frames follow, in microseconds; null puts
    // back the monotonic clock. A test sets its own to look at given times.
    using TimeSource = std::int64_t (*)();
    static void SetTimeSource(TimeSource source);

    // Loads clip resource nID, takes the size of its frames and shows its
    // first frame, still. False, and the control blank, when there is no
    // such clip or it cannot be read.
    bool Open(unsigned nID);
    // Plays frames nFrom to nTo (kLastFrame: the clip's last) nRep times
    // (kRepeatForever: without end), then stays on nTo. False when no clip
    // is open or the frames are not in the clip.
    bool Play(unsigned nFrom, unsigned nTo, unsigned nRep);
    // Stops on the frame shown now.
    bool Stop();
    // Drops the clip; the control shows only its background.
    void Close();

    std::intptr_t SendMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    // The frame that is on screen now (-1: none), and whether it still moves.
    int CurrentFrame() const;
    bool IsPlaying() const { return m_bPlaying; }
    const CAviClip& Clip() const { return m_clip; }
    // Why the last Open failed ("" after a success).
    const std::string& LastError() const { return m_strError; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Frame due at the clock's present reading, and the time to the next one.
    int FrameNow(std::int64_t* pNextUs = nullptr) const;
    void OnTimer();
    const QImage& FrameImage(int index);

    CAviClip m_clip;
    bool m_bOpen = false;
    bool m_bPlaying = false;
    int m_nFrom = 0;
    int m_nTo = 0;
    unsigned m_nRep = 0;
    int m_nStill = -1;  // frame shown when not playing
    std::int64_t m_startUs = 0;  // the clock's reading at Play
    QTimer m_timer;
    QImage m_image;
    int m_nImageFrame = -1;
    std::string m_strError;
};

} // namespace kelvane::win
