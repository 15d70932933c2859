#pragma once

class QPagedPaintDevice;
class QTextDocument;

// Prints a document laid out for the screen onto pages: every page shows what
// a screen of the page's width in screen pixels would, scaled to the device,
// with the document's own colours. Page margins are the device's.
void printScreenDocument(const QTextDocument &document, QPagedPaintDevice &device,
                         double screenDpi = 96.0);
