#include "frameextents.h"

#include "x11connection.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

namespace {

// The program has one X connection: the atom is asked for once.
xcb_atom_t frameExtentsAtom(xcb_connection_t *connection)
{
    static const xcb_atom_t atom = [connection] {
        static const char name[] = "_NET_FRAME_EXTENTS";
        const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }();
    return atom;
}

} // namespace

std::optional<QMargins> announcedFrameMargins(const QWidget *window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    const xcb_atom_t atom = frameExtentsAtom(connection);
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    const XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, xcb_window_t(window->winId()), atom,
                                                XCB_ATOM_CARDINAL, 0, 4),
                               nullptr));
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    // Left, right, top, bottom.
    const auto *extents = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    return QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3]));
}

FrameExtentsWatch::FrameExtentsWatch(QWidget *window) : QObject(window), m_window(window)
{
    if (xcb_connection_t *connection = x11Connection()) {
        m_atom = frameExtentsAtom(connection);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

FrameExtentsWatch::~FrameExtentsWatch()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool FrameExtentsWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_atom == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto *property = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    if (property->atom == m_atom && m_window->testAttribute(Qt::WA_WState_Created) &&
        property->window == xcb_window_t(m_window->winId()))
        QMetaObject::invokeMethod(this, &FrameExtentsWatch::changed, Qt::QueuedConnection);
    return false;
}
