#pragma once

#include <QByteArray>

// A fresh 128-bit key from the system's random source, as 32 hex digits.
QByteArray makeRemoteKey();
// Compares in time that depends only on the expected key's length, so that
// timing tells a guesser nothing about how much of a guess was right.
bool sameKey(const QByteArray &given, const QByteArray &expected);
