// Throughput of script decoding and RTF reading on large synthetic inputs.
#include "bench.h"

#include "rtftext.h"
#include "scriptreader.h"
#include "textdecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <zip.h>

#include <functional>

namespace {

constexpr qsizetype kInputBytes = 32 * 1024 * 1024;
constexpr int kRuns = 7;

// Keeps each run's result alive so that the work cannot be optimised away.
volatile qsizetype g_result = 0;

// Median megabytes per second of `work` over `bytes`.
double megabytesPerSecond(qsizetype bytes, const std::function<qsizetype()> &work)
{
    std::vector<double> rates;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        g_result = work();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        rates.push_back(double(bytes) / (1024 * 1024) / seconds);
    }
    return percentile(rates, 0.5);
}

QByteArray repeatToSize(const QByteArray &unit)
{
    QByteArray bytes;
    bytes.reserve(kInputBytes + unit.size());
    while (bytes.size() < kInputBytes)
        bytes += unit;
    return bytes;
}

// Mostly ASCII news copy with accented Latin and Cyrillic lines, CR LF ends.
QString newsText()
{
    return QStringLiteral("Good evening, and welcome to the six o'clock report from the studio.\r\n"
                          "Tonight the café on the square reopened; the naïve plan worked — "
                          "“finally”, said the mayor.\r\n"
                          "Погода: завтра дождь, ветер западный.\r\n"
                          "\r\n");
}

QByteArray typicalRtf()
{
    const QByteArray paragraph =
        "\\pard\\plain \\s0\\rtlch\\af13\\afs24\\alang1025 \\ltrch\\lang2057\\langfe2052"
        "\\hich\\af3\\loch\\nowidctlpar\\hyphpar0\\ltrpar\\f3\\fs24\\lang2057\\ql\\ltrpar{\\loch\n"
        "Tonight the caf\\u233\\'e9 on the square reopened and the council voted yes after a "
        "debate that lasted almost four hours.}{\\b\\loch\n Bold words}{\\loch\n"
        " \\u8220\\'93quoted\\u8221\\'94 and more plain text.}\n\\par ";
    return "{\\rtf1\\ansi\\deff3\\adeflang1025\n{\\fonttbl{\\f3\\froman\\fprq2\\fcharset0 "
           "Liberation Serif;}}\n" +
           repeatToSize(paragraph) + "}";
}

// Like a document with pictures: a PNG and its WMF copy as hex between paragraphs.
QByteArray pictureRtf()
{
    QByteArray hex;
    for (int i = 0; i < 4096; ++i)
        hex += QByteArray::number(i % 256 + 256, 16).right(2) + (i % 64 == 63 ? "\n" : "");
    const QByteArray unit = "{\\loch\nThe paragraph before the picture.}\n\\par "
                            "{\\*\\shppict{\\pict\\picw64\\pich40\\pngblip\n" +
                            hex + "}}{\\nonshppict{\\pict\\picw64\\pich40\\wmetafile8\n" + hex +
                            hex + "}}\n\\par ";
    return "{\\rtf1\\ansi\\deff0\n" + repeatToSize(unit) + "}";
}

} // namespace

TAVRIX_BENCH_CASE(decode_utf8)
{
    const QByteArray bytes = repeatToSize(newsText().toUtf8());
    report("decode_utf8",
           megabytesPerSecond(bytes.size(), [&] { return decodeText(bytes).size(); }), "MB/s");
    report("decode_lines_utf8",
           megabytesPerSecond(bytes.size(), [&] { return decodeLines(bytes).size(); }), "MB/s");
}

TAVRIX_BENCH_CASE(decode_cp1252)
{
    // The bytes E9, EF, 97, 93 and 94 are not valid UTF-8, so all of it reads as 1252.
    const QByteArray bytes =
        repeatToSize("Good evening, and welcome to the six o'clock report from the studio.\r\n"
                     "Tonight the caf\xE9 on the square reopened; the na\xEFve plan worked \x97 "
                     "\x93"
                     "finally\x94, said the mayor.\r\n\r\n");
    report("decode_cp1252",
           megabytesPerSecond(bytes.size(), [&] { return decodeText(bytes).size(); }), "MB/s");
}

TAVRIX_BENCH_CASE(rtf_read)
{
    const QByteArray bytes = typicalRtf();
    report("rtf_read", megabytesPerSecond(bytes.size(), [&] { return rtfToLines(bytes)->size(); }),
           "MB/s");
}

TAVRIX_BENCH_CASE(rtf_read_pictures)
{
    const QByteArray bytes = pictureRtf();
    report("rtf_read_pictures",
           megabytesPerSecond(bytes.size(), [&] { return rtfToLines(bytes)->size(); }), "MB/s");
}

namespace {

constexpr int kParagraphs = 10'000;

// A Word document of `kParagraphs` news paragraphs, deflated as word processors write it.
qsizetype writeDocx(const QString &path)
{
    QByteArray body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:document xmlns:w=\""
                      "http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>";
    for (int i = 0; i < kParagraphs; ++i)
        body += "<w:p><w:pPr><w:pStyle w:val=\"Normal\"/></w:pPr><w:r><w:rPr><w:b/></w:rPr>"
                "<w:t xml:space=\"preserve\">Tonight the caf\xC3\xA9 on the square reopened </w:t>"
                "</w:r><w:r><w:t>and the council voted yes after a long debate.</w:t></w:r></w:p>";
    body += "</w:body></w:document>";
    const QByteArray types =
        "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
        "content-types\"><Override PartName=\"/word/document.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>";
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return 0;
    const auto add = [zip](const char *name, const QByteArray &bytes) {
        zip_source_t *source =
            zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        return source && zip_file_add(zip, name, source, ZIP_FL_OVERWRITE) >= 0;
    };
    const bool added = add("[Content_Types].xml", types) && add("word/document.xml", body);
    return zip_close(zip) == 0 && added ? body.size() : 0;
}

// One figure from `tavrix-bench --child KIND PATH` in a fresh process: a process that
// read a file before keeps the memory the allocator got for it.
double childFigure(const char *kind, const QString &path)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QString::fromLatin1(kind), path});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        qFatal("the %s child for %s failed", kind, qPrintable(path));
    return child.readAllStandardOutput().trimmed().toDouble();
}

double medianChildFigure(const char *kind, const QString &path)
{
    std::vector<double> figures;
    for (int run = 0; run < 5; ++run)
        figures.push_back(childFigure(kind, path));
    return percentile(figures, 0.5);
}

double medianMilliseconds(const std::function<qsizetype()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        g_result = work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return percentile(times, 0.5);
}

} // namespace

// The Word reader against the plain text reader on the same 10,000 paragraphs.
TAVRIX_BENCH_CASE(read_docx)
{
    QTemporaryDir folder;
    const QString docx = folder.filePath(QStringLiteral("script.docx"));
    const QString text = folder.filePath(QStringLiteral("script.txt"));
    QFile plain(text);
    const qsizetype unpacked = writeDocx(docx);
    if (unpacked == 0 || !plain.open(QIODevice::WriteOnly))
        return;
    for (int i = 0; i < kParagraphs; ++i)
        plain.write("Tonight the caf\xC3\xA9 on the square reopened and the council voted yes "
                    "after a long debate.\r\n");
    plain.close();
    report("read_docx_10000_paragraphs",
           medianMilliseconds([&] { return readScript(docx).size(); }), "ms");
    report("read_text_10000_lines", medianMilliseconds([&] { return readScript(text).size(); }),
           "ms");
    // As the operator waits: the file opened in the prompter to its page complete and painted.
    const double openDocx = medianChildFigure("open", docx);
    const double openText = medianChildFigure("open", text);
    report("open_docx_10000_paragraphs_to_page", openDocx, "ms");
    report("open_text_10000_lines_to_page", openText, "ms");
    report("open_docx_over_text", openDocx / openText, "x");
    const double growth = medianChildFigure("read-memory", docx);
    report("read_docx_resident_growth", growth / 1024, "MB");
    report("read_docx_unpacked_xml", double(unpacked) / (1024 * 1024), "MB");
    report("read_docx_growth_over_unpacked", growth * 1024 / double(unpacked), "x");
}
