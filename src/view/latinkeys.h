#pragma once

#include <QString>

// The letter key an operator meant. Latin letters count as they arrive, so a
// French keyboard's A is A. A letter of another script (Cyrillic, Greek, ...)
// counts as the Latin letter on the same physical key of the common US
// layout, as desktop shortcuts do; `scanCode` is the X11 key code. Any other
// key is returned unchanged.
int latinLetterKey(int key, const QString &text, quint32 scanCode);
