#pragma once

#include <QSizeF>
#include <QTransform>

// How a picture of `area` is flipped in place: left to right about its
// vertical middle, top to bottom about its horizontal middle. The transform
// is its own inverse.
QTransform mirrorTransform(const QSizeF &area, bool leftToRight, bool topToBottom);
