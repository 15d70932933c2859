#pragma once

#include <cstdlib>
#include <memory>

struct xcb_connection_t;

// The program's own X connection, through Qt; nothing on another platform.
xcb_connection_t *x11Connection();

// An xcb reply, freed as xcb wants.
struct XcbFree
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// A mark in the X server's request stream, passed once the server has handled
// every request sent before it: a round trip that nobody waits for. Off X11 it
// has always passed.
class ServerFence
{
public:
    ServerFence();
    ~ServerFence();
    ServerFence(const ServerFence &) = delete;
    ServerFence &operator=(const ServerFence &) = delete;

    bool passed();

private:
    xcb_connection_t *m_connection;
    unsigned int m_sequence = 0;
    bool m_pending = false;
};
