#include "streamedxml.h"

#include "tavrixerror.h"
#include "texts.h"

StreamedXml::StreamedXml()
{
    m_xml.setNamespaceProcessing(true);
}

void StreamedXml::addData(const char *data, qsizetype size)
{
    m_xml.addData(QByteArray(data, size));
    pump();
}

void StreamedXml::finish()
{
    pump();
    // Fed piece by piece, the parser cannot tell the end of the data from a
    // pause in it: the document is whole once its root element has closed.
    const bool whole =
        m_rootClosed &&
        (!m_xml.hasError() || m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError);
    if (!whole) {
        throw TavrixError(
            texts::rsDocumentMalformed.arg(m_xml.errorString()).arg(m_xml.lineNumber()));
    }
}

void StreamedXml::pump()
{
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            return;
        if (m_xml.hasError()) {
            throw TavrixError(
                texts::rsDocumentMalformed.arg(m_xml.errorString()).arg(m_xml.lineNumber()));
        }
        switch (token) {
        case QXmlStreamReader::DTD:
            throw TavrixError(texts::rsDocumentMalformed.arg(QStringLiteral("it declares entities"))
                                  .arg(m_xml.lineNumber()));
        case QXmlStreamReader::StartElement:
            ++m_depth;
            startElement();
            break;
        case QXmlStreamReader::EndElement:
            m_rootClosed = --m_depth == 0;
            endElement();
            break;
        case QXmlStreamReader::Characters:
            characters();
            break;
        case QXmlStreamReader::EndDocument:
            return;
        default:
            break;
        }
    }
}
