#pragma once

#include <QImage>
#include <QtGlobal>

// The share of pixels that differ clearly: glyphs drawn through a flip are
// smoothed a little differently from upright ones.
inline double differingShare(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1;
    const QImage x = a.convertToFormat(QImage::Format_Grayscale8);
    const QImage y = b.convertToFormat(QImage::Format_Grayscale8);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int column = 0; column < x.width(); ++column) {
            if (qAbs(int(x.constScanLine(row)[column]) - int(y.constScanLine(row)[column])) > 96)
                ++differing;
        }
    }
    return double(differing) / double(x.width() * x.height());
}
