#include "x11connection.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

ServerFence::ServerFence() : m_connection(x11Connection())
{
    if (!m_connection)
        return;
    m_sequence = xcb_get_input_focus(m_connection).sequence;
    m_pending = xcb_flush(m_connection) > 0;
}

ServerFence::~ServerFence()
{
    if (m_pending)
        xcb_discard_reply(m_connection, m_sequence);
}

bool ServerFence::passed()
{
    if (!m_pending)
        return true;
    void *reply = nullptr;
    xcb_generic_error_t *error = nullptr;
    if (!xcb_poll_for_reply(m_connection, m_sequence, &reply, &error))
        return false;
    std::free(reply);
    std::free(error);
    m_pending = false;
    return true;
}
