#pragma once

#include <QHostAddress>

// This machine's address on the local network as a phone would reach it: the
// first private IPv4 address of an interface that is up, else any other
// non-loopback IPv4 address, else the loopback address.
QHostAddress lanAddress();
