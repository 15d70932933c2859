#pragma once

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QObject>

#include <optional>

class QWidget;

// The frame the window manager put around a top-level window, as it announces it
// (_NET_FRAME_EXTENTS on X11): read from the X server, not from Qt's copy, which
// Qt refreshes only when the window is next configured. Nothing when it is not
// announced (another platform, no window manager, not framed yet).
std::optional<QMargins> announcedFrameMargins(const QWidget *window);

// Says when the window manager announces a new frame for the window, which
// may come after the window's last move or resize.
class FrameExtentsWatch final : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrameExtentsWatch)

public:
    explicit FrameExtentsWatch(QWidget *window);
    ~FrameExtentsWatch() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    // Queued: Qt has handled the event by then.
    void changed();

private:
    QWidget *m_window;
    quint32 m_atom = 0;
};
