#include "textdecoder.h"

#include <QStringDecoder>

#include <array>
#include <bitset>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <iconv.h>

struct CodePageTable
{
    int codePage = 1252;
    bool doubleByte = false;
    std::array<char16_t, 128> high{}; // single-byte: the characters of 0x80-0xFF
    std::bitset<256> lead;            // double-byte: the lead bytes
};

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *kUtf16 = "UTF-16LE";
#else
constexpr const char *kUtf16 = "UTF-16BE";
#endif

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kIconvFailed = static_cast<std::size_t>(-1);

struct SupportedPage
{
    int codePage;
    bool doubleByte;
};

constexpr SupportedPage kSupportedPages[] = {
    {874, false},  {932, true},   {936, true},   {949, true},   {950, true},
    {1250, false}, {1251, false}, {1252, false}, {1253, false}, {1254, false},
    {1255, false}, {1256, false}, {1257, false}, {1258, false},
};

iconv_t openConverter(int codePage)
{
    return iconv_open(kUtf16, ("CP" + std::to_string(codePage)).c_str());
}

// Windows gives an undefined byte below 0xA0 as the C1 control of its value.
char16_t undefinedByte(unsigned char byte)
{
    return byte < 0xA0 ? char16_t(byte) : char16_t(0xFFFD);
}

// What iconv makes of one byte alone: its character, or nothing with errno set.
// The flush hands out a character that a composing converter (1255, 1258) holds
// back, so that each byte stands for itself, as it does on Windows.
std::optional<char16_t> convertByte(iconv_t converter, unsigned char byte)
{
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char in = char(byte);
    char *inPos = &in;
    std::size_t inLeft = 1;
    std::array<char16_t, 4> out{};
    char *outPos = reinterpret_cast<char *>(out.data());
    std::size_t outLeft = sizeof(out);
    if (iconv(converter, &inPos, &inLeft, &outPos, &outLeft) == kIconvFailed)
        return std::nullopt;
    if (iconv(converter, nullptr, nullptr, &outPos, &outLeft) == kIconvFailed)
        return std::nullopt;
    if (sizeof(out) - outLeft != sizeof(char16_t)) {
        errno = EILSEQ;
        return std::nullopt;
    }
    return out[0];
}

// The byte table of a single-byte page, or the lead bytes of a double-byte one,
// as iconv has them; nullptr when iconv does not know the page.
std::unique_ptr<CodePageTable> makeTable(const SupportedPage &page)
{
    const iconv_t converter = openConverter(page.codePage);
    if (converter == kNoConverter)
        return nullptr;
    auto table = std::make_unique<CodePageTable>();
    table->codePage = page.codePage;
    table->doubleByte = page.doubleByte;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::optional<char16_t> c = convertByte(converter, uchar(byte));
        if (page.doubleByte)
            table->lead[std::size_t(byte)] = !c && errno == EINVAL;
        else
            table->high[std::size_t(byte - 0x80)] = c.value_or(undefinedByte(uchar(byte)));
    }
    iconv_close(converter);
    return table;
}

// 1252 as Latin-1, for a C library without the converter.
const CodePageTable &latin1Table()
{
    static const CodePageTable table = [] {
        CodePageTable latin1;
        for (std::size_t i = 0; i < latin1.high.size(); ++i)
            latin1.high[i] = char16_t(0x80 + i);
        return latin1;
    }();
    return table;
}

const CodePageTable *findTable(int codePage)
{
    static std::mutex mutex;
    static std::array<std::unique_ptr<CodePageTable>, std::size(kSupportedPages)> tables;
    static std::array<bool, std::size(kSupportedPages)> tried{};
    for (std::size_t i = 0; i < std::size(kSupportedPages); ++i) {
        if (kSupportedPages[i].codePage != codePage)
            continue;
        const std::lock_guard lock(mutex);
        if (!tried[i]) {
            tables[i] = makeTable(kSupportedPages[i]);
            tried[i] = true;
        }
        return tables[i].get();
    }
    return nullptr;
}

const CodePageTable &tableFor(int codePage)
{
    if (const CodePageTable *table = findTable(codePage))
        return *table;
    if (const CodePageTable *table = findTable(1252))
        return *table;
    return latin1Table();
}

bool startsWith(QByteArrayView bytes, const char *mark)
{
    return bytes.startsWith(QByteArrayView(mark));
}

// In 8-bit text only a zero byte decodes to U+0000.
QByteArrayView beforeFirstNul(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return bytes; // memchr must not see the null data of an empty view
    const void *nul = std::memchr(bytes.data(), 0, size_t(bytes.size()));
    return nul ? bytes.first(static_cast<const char *>(nul) - bytes.data()) : bytes;
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

QString decodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype units = bytes.size() / 2;
    const auto unitAt = [in, bigEndian](qsizetype i) {
        const unsigned first = in[2 * i], second = in[2 * i + 1];
        return char16_t(bigEndian ? (first << 8 | second) : (second << 8 | first));
    };
    QString text(units + 1, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    qsizetype n = 0;
    qsizetype i = 0;
    for (; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (unit == 0)
            break;
        if (isHighSurrogate(unit) && i + 1 < units && isLowSurrogate(unitAt(i + 1))) {
            out[n++] = unit;
            out[n++] = unitAt(++i);
        } else {
            out[n++] = isHighSurrogate(unit) || isLowSurrogate(unit) ? char16_t(0xFFFD) : unit;
        }
    }
    if (i == units && bytes.size() % 2)
        out[n++] = 0xFFFD;
    text.truncate(n);
    return text;
}

// Lines of `units` code units up to the first zero unit, as splitLines cuts the
// decoded text; `oddByte` is a last half unit, which decodes to U+FFFD.
template <typename UnitAt> LineShape measureUnits(qsizetype units, bool oddByte, UnitAt unitAt)
{
    LineShape shape;
    qsizetype start = 0;
    const auto endLine = [&shape, &start](qsizetype end) {
        if (end - start > shape.longestLine || shape.longestLineIndex < 0) {
            shape.longestLine = end - start;
            shape.longestLineIndex = shape.lines;
        }
        ++shape.lines;
    };
    qsizetype i = 0;
    for (; i < units; ++i) {
        const char16_t unit = unitAt(i);
        if (unit > u'\r')
            continue;
        if (unit == 0)
            break;
        if (unit != u'\r' && unit != u'\n')
            continue;
        endLine(i);
        if (unit == u'\r' && i + 1 < units && unitAt(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    const qsizetype end = i == units && oddByte ? i + 1 : i;
    if (end > start)
        endLine(end);
    return shape;
}

LineShape measureUtf16(QByteArrayView bytes, bool bigEndian)
{
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    return measureUnits(bytes.size() / 2, bytes.size() % 2, [in, bigEndian](qsizetype i) {
        const unsigned first = in[2 * i], second = in[2 * i + 1];
        return char16_t(bigEndian ? (first << 8 | second) : (second << 8 | first));
    });
}

} // namespace

QString decodeText(QByteArrayView bytes)
{
    if (startsWith(bytes, "\xFF\xFE"))
        return decodeUtf16(bytes.sliced(2), false);
    if (startsWith(bytes, "\xFE\xFF"))
        return decodeUtf16(bytes.sliced(2), true);
    const bool marked = startsWith(bytes, "\xEF\xBB\xBF");
    const QByteArrayView body = beforeFirstNul(marked ? bytes.sliced(3) : bytes);
    if (!marked && !body.isValidUtf8())
        return decodeCodePage(1252, body);
    // A second mark after the first is text (U+FEFF), so the decoder must keep it.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
    return utf8.decode(body);
}

bool textEndsAtNul(QByteArrayView bytes)
{
    const bool le = startsWith(bytes, "\xFF\xFE");
    if (le || startsWith(bytes, "\xFE\xFF")) {
        // A zero unit, never a zero byte of a non-zero one.
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
            if (bytes[i] == 0 && bytes[i + 1] == 0)
                return true;
        }
        return false;
    }
    const QByteArrayView body = startsWith(bytes, "\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    return beforeFirstNul(body).size() < body.size();
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    const auto *data = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i];
        if (c > u'\r' || (c != u'\r' && c != u'\n'))
            continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.sliced(start));
    return lines;
}

QStringList decodeLines(QByteArrayView bytes)
{
    return splitLines(decodeText(bytes));
}

QByteArray encodeText(const QString &text)
{
    return text.toUtf8();
}

LineShape measureLines(QByteArrayView bytes)
{
    if (startsWith(bytes, "\xFF\xFE"))
        return measureUtf16(bytes.sliced(2), false);
    if (startsWith(bytes, "\xFE\xFF"))
        return measureUtf16(bytes.sliced(2), true);
    // UTF-8 and the 8-bit code page both keep CR and LF as single bytes.
    const QByteArrayView body = startsWith(bytes, "\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
    const auto *in = reinterpret_cast<const unsigned char *>(body.data());
    return measureUnits(body.size(), false, [in](qsizetype i) { return char16_t(in[i]); });
}

CodePageDecoder::CodePageDecoder(int codePage) : m_table(&tableFor(codePage))
{
    if (!m_table->doubleByte)
        return;
    const iconv_t converter = openConverter(m_table->codePage);
    if (converter != kNoConverter)
        m_converter = converter;
    else
        m_table = &tableFor(1252); // out of descriptors: read it as the default page
}

CodePageDecoder::~CodePageDecoder()
{
    if (m_converter)
        iconv_close(static_cast<iconv_t>(m_converter));
}

int CodePageDecoder::effectiveCodePage(int codePage)
{
    return tableFor(codePage).codePage;
}

int CodePageDecoder::codePage() const
{
    return m_table->codePage;
}

bool CodePageDecoder::isDoubleByte() const
{
    return m_table->doubleByte;
}

bool CodePageDecoder::isLeadByte(unsigned char byte) const
{
    return m_table->lead[byte];
}

char16_t CodePageDecoder::charOf(unsigned char byte) const
{
    return byte < 0x80 ? char16_t(byte) : m_table->high[byte - 0x80];
}

void CodePageDecoder::decode(QByteArrayView bytes, QString &text) const
{
    const qsizetype start = text.size();
    if (!m_table->doubleByte) {
        text.resize(start + bytes.size());
        char16_t *out = reinterpret_cast<char16_t *>(text.data()) + start;
        for (const char byte : bytes)
            *out++ = charOf(static_cast<unsigned char>(byte));
        return;
    }
    // Each byte gives at most one unit; a pair gives at most two.
    std::size_t room = std::size_t(bytes.size()) + 2;
    text.resize(start + qsizetype(room));
    std::size_t used = 0; // bytes of output
    const auto out = [&] { return reinterpret_cast<char *>(text.data() + start) + used; };
    const auto grow = [&] {
        room *= 2;
        text.resize(start + qsizetype(room));
    };
    const auto converter = static_cast<iconv_t>(m_converter);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = std::size_t(bytes.size());
    while (inLeft > 0) {
        char *outPos = out();
        std::size_t outLeft = room * sizeof(char16_t) - used;
        const std::size_t result = iconv(converter, &in, &inLeft, &outPos, &outLeft);
        used = room * sizeof(char16_t) - outLeft;
        if (result != kIconvFailed)
            break;
        if (errno == E2BIG || outLeft < sizeof(char16_t)) {
            grow();
            continue;
        }
        // An undefined byte, or a lead byte whose trail is missing or wrong.
        const auto byte = static_cast<unsigned char>(*in++);
        --inLeft;
        const char16_t c = isLeadByte(byte) ? char16_t(0xFFFD) : undefinedByte(byte);
        std::memcpy(out(), &c, sizeof(c));
        used += sizeof(c);
    }
    text.truncate(start + qsizetype(used / sizeof(char16_t)));
}

QString decodeCodePage(int codePage, QByteArrayView bytes)
{
    QString text;
    CodePageDecoder(codePage).decode(bytes, text);
    return text;
}
