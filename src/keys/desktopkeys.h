#pragma once

#include "keychord.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// Bound keys grabbed for the whole desktop on X11, so a clicker drives the
// band while the operator types in another window. A grabbed key no longer
// reaches any other program. Keys pressed while the band itself has the focus
// reach it as always and are not reported here.
class DesktopKeys final : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopKeys)

public:
    explicit DesktopKeys(QObject *parent = nullptr);
    ~DesktopKeys() override;

    // Only on X11 (XWayland included); a native Wayland session grabs nothing.
    static bool supported();

    // Grabs every chord or none: the reason, naming the key, when one cannot be
    // (another program holds it, no key of the keyboard sends it). Replaces
    // what was grabbed before.
    std::optional<QString> grab(const QList<KeyChord> &chords);
    void release();
    bool active() const { return !m_grabs.isEmpty(); }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void pressed(const KeyChord &chord);

private:
    struct Grab
    {
        quint8 keycode = 0;
        quint16 modifiers = 0;
        KeyChord chord;
    };

    QList<Grab> m_grabs;
    bool m_filtering = false;
};
