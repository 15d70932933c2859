#pragma once

#include <QImage>
#include <QString>

// The text as a QR code: black modules on white, `scale` pixels a module and
// the four-module quiet zone around it. A null image when it cannot be made.
QImage qrCodeImage(const QString &text, int scale = 6);
