// Throughput of script decoding and RTF reading on large synthetic inputs.
#include "bench.h"

#include "rtftext.h"
#include "textdecoder.h"

#include <QElapsedTimer>

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
