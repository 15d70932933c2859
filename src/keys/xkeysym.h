#pragma once

#include <QtGlobal>

#include <optional>

// The X keysym of a toolkit key code, for grabbing the key on the desktop:
// Latin-1 characters, function keys up to F35 and the named keys a clicker,
// pedal or keypad sends. Nothing for a key X names otherwise.
std::optional<quint32> xKeysymForKey(int key);
