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
