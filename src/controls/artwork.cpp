#include "artwork.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtGlobal>

// Outside any namespace: Q_INIT_RESOURCE declares the initialiser in the
// enclosing namespace. Naming it makes the linker keep the resources of the
// static library and registers them before their first use.
static void initArtworkResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

constexpr QSize kButtonSize(21, 15);
constexpr int kImageList1Count = 28;
constexpr int kImageList1Columns = 2;
constexpr QSize kLogoSize(100, 70);
constexpr QSize kDialogLogoSize(153, 35);
constexpr QSize kDialogIconSize(28, 21);
constexpr int kDialogIconCount = 4;

void registerResources()
{
    static const bool registered = [] {
        initArtworkResources();
        return true;
    }();
    Q_UNUSED(registered);
}

// Renders a whole SVG sheet once; pictures are then cut out of it, so a sheet
// of many pictures is parsed and painted a single time.
QImage renderSheet(const QString &path, QSize sheetSize, int scale, QImage::Format format,
                   const QColor &background)
{
    registerResources();
    QImage sheet(sheetSize * scale, format);
    sheet.fill(background);
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) {
        qWarning("Artwork %s could not be read", qUtf8Printable(path));
        return sheet;
    }
    QPainter painter(&sheet);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(sheet.size())));
    return sheet;
}

QPixmap toPixmap(const QImage &image, int scale)
{
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(scale);
    return pixmap;
}

QList<QPixmap> cutSheet(const QImage &sheet, QSize cell, int count, int columns, int scale)
{
    QList<QPixmap> pictures;
    pictures.reserve(count);
    const QSize deviceCell = cell * scale;
    for (int i = 0; i < count; ++i) {
        const QPoint origin((i % columns) * deviceCell.width(),
                            (i / columns) * deviceCell.height());
        pictures.append(toPixmap(sheet.copy(QRect(origin, deviceCell)), scale));
    }
    return pictures;
}

int checkedScale(int scale)
{
    return qMax(1, scale);
}

QImage renderLogo(int scale)
{
    return renderSheet(QStringLiteral(":/logo.svg"), kLogoSize, scale,
                       QImage::Format_ARGB32_Premultiplied, Qt::transparent);
}

} // namespace

QList<QPixmap> makeImageList1(int scale)
{
    scale = checkedScale(scale);
    const int rows = (kImageList1Count + kImageList1Columns - 1) / kImageList1Columns;
    const QSize sheetSize(kButtonSize.width() * kImageList1Columns, kButtonSize.height() * rows);
    // RGB32 keeps the pictures opaque; the buttons sit on a black strip.
    const QImage sheet = renderSheet(QStringLiteral(":/imagelist1.svg"), sheetSize, scale,
                                     QImage::Format_RGB32, Qt::black);
    return cutSheet(sheet, kButtonSize, kImageList1Count, kImageList1Columns, scale);
}

QList<QPixmap> makeImageList2(int scale)
{
    scale = checkedScale(scale);
    const QImage upright = renderLogo(scale);
    return {
        toPixmap(upright, scale),
        toPixmap(upright.mirrored(true, false), scale),
        // Mirroring both ways is the rotation by 180 degrees, without resampling.
        toPixmap(upright.mirrored(true, true), scale),
        toPixmap(upright.mirrored(false, true), scale),
    };
}

QPixmap makeLogo(int scale)
{
    scale = checkedScale(scale);
    return toPixmap(renderLogo(scale), scale);
}

QPixmap makeDialogLogo(int scale)
{
    scale = checkedScale(scale);
    return toPixmap(renderSheet(QStringLiteral(":/dialoglogo.svg"), kDialogLogoSize, scale,
                                QImage::Format_ARGB32_Premultiplied, Qt::transparent),
                    scale);
}

QList<QPixmap> makeDialogIcons(int scale)
{
    scale = checkedScale(scale);
    const QSize sheetSize(kDialogIconSize.width() * kDialogIconCount, kDialogIconSize.height());
    const QImage sheet = renderSheet(QStringLiteral(":/dialogicons.svg"), sheetSize, scale,
                                     QImage::Format_ARGB32_Premultiplied, Qt::transparent);
    return cutSheet(sheet, kDialogIconSize, kDialogIconCount, kDialogIconCount, scale);
}

QIcon makeAppIcon()
{
    registerResources();
    QSvgRenderer renderer(QStringLiteral(":/appicon.svg"));
    QIcon icon;
    if (!renderer.isValid()) {
        qWarning("Artwork :/appicon.svg could not be read");
        return icon;
    }
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
