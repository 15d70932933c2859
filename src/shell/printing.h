#pragma once

#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// Prints a document laid out for the screen onto pages: every page shows what
// a screen of the page's width in screen pixels would, scaled to the device,
// with the document's own colours. Page margins are the device's.
// Returns why printing failed, or an empty string when the device took it all.
QString printScreenDocument(const QTextDocument &document, QPagedPaintDevice &device,
                            double screenDpi = 96.0);

// Why the PDF file at `path` is no complete document (empty, or cut short as
// on a full disk), or an empty string when it ends as a PDF file does.
QString unfinishedPdfReason(const QString &path);
