#include "mirror.h"

QTransform mirrorTransform(const QSizeF &area, bool leftToRight, bool topToBottom)
{
    return QTransform(leftToRight ? -1 : 1, 0, 0, topToBottom ? -1 : 1,
                      leftToRight ? area.width() : 0, topToBottom ? area.height() : 0);
}
