#include "qrcode.h"

#include <qrencode.h>

#include <memory>

QImage qrCodeImage(const QString &text, int scale)
{
    const QByteArray utf8 = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code || scale < 1)
        return {};
    constexpr int kQuiet = 4;
    const int modules = code->width + 2 * kQuiet;
    QImage image(modules * scale, modules * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (!(code->data[y * code->width + x] & 1))
                continue;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    image.setPixel((x + kQuiet) * scale + dx, (y + kQuiet) * scale + dy, black);
        }
    }
    return image;
}
