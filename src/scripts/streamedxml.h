#pragma once

#include <QByteArray>
#include <QXmlStreamReader>

// An XML part read as it arrives, piece by piece, token by token. A document
// type declaration is refused before any entity it declares could be
// expanded: the parts of Word and OpenDocument files never carry one.
// Malformed XML throws TavrixError with the parser's reason and line.
class StreamedXml
{
public:
    virtual ~StreamedXml() = default;

    void addData(const char *data, qsizetype size);
    // The part has ended: it must have ended well.
    void finish();

protected:
    StreamedXml();
    StreamedXml(const StreamedXml &) = delete;
    StreamedXml &operator=(const StreamedXml &) = delete;

    virtual void startElement() = 0;
    virtual void endElement() = 0;
    virtual void characters() = 0;

    QXmlStreamReader m_xml;

private:
    void pump();

    qsizetype m_depth = 0;
    bool m_rootClosed = false;
};
