#include "desktopkeys.h"

#include "x11connection.h"
#include "xkeysym.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

// Lock and Num Lock must not matter, so each chord is grabbed with each of them.
constexpr quint16 kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr quint16 kCountedMasks =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

template <typename T> using Reply = XcbReply<T>;

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

quint16 maskOf(Qt::KeyboardModifiers modifiers)
{
    quint16 mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

// The keyboard's keysyms, read once a grab: keycode -> first keycode sending a keysym.
class KeyboardMapping
{
public:
    explicit KeyboardMapping(xcb_connection_t *connection)
    {
        const xcb_setup_t *setup = xcb_get_setup(connection);
        m_first = setup->min_keycode;
        const int count = setup->max_keycode - setup->min_keycode + 1;
        m_reply.reset(xcb_get_keyboard_mapping_reply(
            connection, xcb_get_keyboard_mapping(connection, m_first, quint8(count)), nullptr));
    }

    std::optional<quint8> keycodeFor(quint32 keysym) const
    {
        if (!m_reply || m_reply->keysyms_per_keycode == 0)
            return std::nullopt;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(m_reply.get());
        const int total = xcb_get_keyboard_mapping_keysyms_length(m_reply.get());
        const int perKey = m_reply->keysyms_per_keycode;
        for (int i = 0; i < total; ++i)
            if (syms[i] == keysym)
                return quint8(m_first + i / perKey);
        return std::nullopt;
    }

private:
    quint8 m_first = 0;
    Reply<xcb_get_keyboard_mapping_reply_t> m_reply;
};

} // namespace

DesktopKeys::DesktopKeys(QObject *parent) : QObject(parent) {}

DesktopKeys::~DesktopKeys()
{
    release();
}

bool DesktopKeys::supported()
{
    return x11Connection() != nullptr;
}

std::optional<QString> DesktopKeys::grab(const QList<KeyChord> &chords)
{
    release();
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return tr("Keys can be taken for the whole desktop only on X11.");
    const xcb_window_t root = rootWindow(connection);
    const KeyboardMapping mapping(connection);

    QList<Grab> wanted;
    for (const KeyChord &chord : chords) {
        const auto keysym = xKeysymForKey(chord.key);
        const auto keycode = keysym ? mapping.keycodeFor(*keysym) : std::nullopt;
        if (!keycode)
            return tr("No key of this keyboard sends %1, so it cannot be taken for the whole "
                      "desktop.")
                .arg(chord.displayName());
        wanted.append({*keycode, maskOf(chord.modifiers), chord});
    }

    // All requests first, then the answers: one round trip however many keys.
    QList<std::pair<xcb_void_cookie_t, qsizetype>> cookies;
    for (qsizetype i = 0; i < wanted.size(); ++i)
        for (const quint16 lock : kLockVariants)
            cookies.append(
                {xcb_grab_key_checked(connection, 1, root, wanted[i].modifiers | lock,
                                      wanted[i].keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                 i});
    std::optional<QString> failure;
    for (const auto &[cookie, index] : cookies) {
        const Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
        if (error && !failure) {
            failure = tr("%1 is already taken by another program, so the keys work only while "
                         "the band has the focus.")
                          .arg(wanted[index].chord.displayName());
        }
    }
    m_grabs = wanted;
    if (failure) {
        release();
        return failure;
    }
    if (!m_filtering) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filtering = true;
    }
    return std::nullopt;
}

void DesktopKeys::release()
{
    if (m_filtering) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        m_filtering = false;
    }
    if (m_grabs.isEmpty())
        return;
    if (xcb_connection_t *connection = x11Connection()) {
        const xcb_window_t root = rootWindow(connection);
        for (const Grab &grab : std::as_const(m_grabs))
            for (const quint16 lock : kLockVariants)
                xcb_ungrab_key(connection, grab.keycode, root, grab.modifiers | lock);
        // A round trip: the keys are free for other programs once this returns.
        const Reply<xcb_get_input_focus_reply_t> synced(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    m_grabs.clear();
}

bool DesktopKeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto *press = static_cast<const xcb_key_press_event_t *>(message);
    // A press in one of the band's own windows reaches it as a key event.
    if (press->event != press->root)
        return false;
    const quint16 held = press->state & kCountedMasks;
    for (const Grab &grab : std::as_const(m_grabs)) {
        if (grab.keycode == press->detail && grab.modifiers == held) {
            Q_EMIT pressed(grab.chord);
            return true;
        }
    }
    return false;
}
