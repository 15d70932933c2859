#include "printing.h"

#include "texts.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>

#include <cmath>
#include <memory>

QString printScreenDocument(const QTextDocument &document, QPagedPaintDevice &device,
                            double screenDpi)
{
    // Laid out on the device, pixel font sizes would shrink to device dots.
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->documentLayout()->setPaintDevice(nullptr);
    const double scale = device.logicalDpiX() / screenDpi;
    const QSizeF page(device.width() / scale, device.height() / scale);
    copy->setPageSize(page);
    const QBrush background = copy->rootFrame()->frameFormat().background();
    const QColor fill = background.style() == Qt::NoBrush ? QColor(Qt::white) : background.color();

    QPainter painter(&device);
    if (!painter.isActive())
        return texts::rsPrinterNotStarted;
    const int pages = std::max(1, copy->pageCount());
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            device.newPage();
        painter.save();
        painter.scale(scale, scale);
        const QRectF sheet(QPointF(0, 0), page);
        painter.fillRect(sheet, fill);
        painter.translate(0, -page.height() * i);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = sheet.translated(0, page.height() * i);
        painter.setClipRect(context.clip);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    return painter.end() ? QString() : texts::rsPrintNotFinished;
}

QString unfinishedPdfReason(const QString &path)
{
    // A PDF file ends with its end-of-file marker; the writer does not report
    // a failed write, so a cut-off file is found by its end.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const qint64 size = file.size();
    constexpr qint64 tail = 32;
    if (size > tail)
        file.seek(size - tail);
    const QByteArray end = size > 0 ? file.read(tail).trimmed() : QByteArray();
    return end.endsWith("%%EOF") ? QString() : texts::rsPdfIncomplete.arg(path);
}
