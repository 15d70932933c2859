#include "rtftext.h"

#include "textdecoder.h"

#include <QHash>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// Groups nested deeper share the state of the deepest tracked one, so the
// state stack never grows past this.
constexpr qsizetype kMaxGroupDepth = 1000;
constexpr qsizetype kMaxFonts = 4096;
constexpr qsizetype kMaxLabelLength = 64;
constexpr int kMaxListLevel = 8;
constexpr int kMaxFallbackLength = 255;
constexpr int kMaxFirstNoteNumber = 1000000;
constexpr std::size_t kMaxWordLength = 32;

enum class Action : std::uint8_t
{
    Ignore,
    Char,
    EndLine,
    Break,
    Unicode,
    FallbackLength,
    Binary,
    Font,
    FontCharset,
    FontCodePage,
    DocumentCodePage,
    DefaultFont,
    Plain,
    ParagraphDefaults,
    ListLevel,
    FootnoteAnchor,
    FootnoteFormat,
    EndnoteFormat,
    FootnoteStart,
    EndnoteStart,
    // Destinations: the words that say what a group holds.
    SkipGroup,
    FontTable,
    ListText,
    Footnote,
    UnicodeAlternates,
    UnicodeText,
};

bool isDestination(Action action)
{
    return action >= Action::SkipGroup;
}

// Structural words are never eaten as the fallback of a \u character.
bool isFallbackUnit(Action action)
{
    return action == Action::Ignore || action == Action::Char || action == Action::Binary;
}

enum class NumberFormat : std::uint8_t
{
    Arabic,
    LowerAlpha,
    UpperAlpha,
    LowerRoman,
    UpperRoman
};

struct ControlWord
{
    std::string_view name;
    Action action;
    char16_t value = 0;
};

constexpr char16_t kFormat(NumberFormat format)
{
    return char16_t(format);
}

constexpr ControlWord kControlWords[] = {
    {"par", Action::EndLine},
    {"line", Action::EndLine},
    {"lbr", Action::EndLine},
    {"cell", Action::EndLine},
    {"nestcell", Action::EndLine},
    // Page, section and row ends leave nothing of their own; they only end a started line.
    {"page", Action::Break},
    {"sect", Action::Break},
    {"column", Action::Break},
    {"row", Action::Break},
    {"nestrow", Action::Break},
    {"trowd", Action::Break},
    {"tab", Action::Char, u'\t'},
    {"emdash", Action::Char, 0x2014},
    {"endash", Action::Char, 0x2013},
    {"emspace", Action::Char, 0x2003},
    {"enspace", Action::Char, 0x2002},
    {"qmspace", Action::Char, 0x2005},
    {"lquote", Action::Char, 0x2018},
    {"rquote", Action::Char, 0x2019},
    {"ldblquote", Action::Char, 0x201C},
    {"rdblquote", Action::Char, 0x201D},
    {"bullet", Action::Char, 0x2022},
    {"zwj", Action::Char, 0x200D},
    {"zwnj", Action::Char, 0x200C},
    {"zwbo", Action::Char, 0x200B},
    {"zwnbo", Action::Char, 0x2060},
    {"ltrmark", Action::Char, 0x200E},
    {"rtlmark", Action::Char, 0x200F},
    {"u", Action::Unicode},
    {"uc", Action::FallbackLength},
    {"bin", Action::Binary},
    {"f", Action::Font},
    {"fcharset", Action::FontCharset},
    {"cpg", Action::FontCodePage},
    {"ansicpg", Action::DocumentCodePage},
    {"deff", Action::DefaultFont},
    {"plain", Action::Plain},
    {"pard", Action::ParagraphDefaults},
    {"ilvl", Action::ListLevel},
    {"chftn", Action::FootnoteAnchor},
    {"ftnnar", Action::FootnoteFormat, kFormat(NumberFormat::Arabic)},
    {"ftnnalc", Action::FootnoteFormat, kFormat(NumberFormat::LowerAlpha)},
    {"ftnnauc", Action::FootnoteFormat, kFormat(NumberFormat::UpperAlpha)},
    {"ftnnrlc", Action::FootnoteFormat, kFormat(NumberFormat::LowerRoman)},
    {"ftnnruc", Action::FootnoteFormat, kFormat(NumberFormat::UpperRoman)},
    {"aftnnar", Action::EndnoteFormat, kFormat(NumberFormat::Arabic)},
    {"aftnnalc", Action::EndnoteFormat, kFormat(NumberFormat::LowerAlpha)},
    {"aftnnauc", Action::EndnoteFormat, kFormat(NumberFormat::UpperAlpha)},
    {"aftnnrlc", Action::EndnoteFormat, kFormat(NumberFormat::LowerRoman)},
    {"aftnnruc", Action::EndnoteFormat, kFormat(NumberFormat::UpperRoman)},
    {"ftnstart", Action::FootnoteStart},
    {"aftnstart", Action::EndnoteStart},
    {"fonttbl", Action::FontTable},
    {"listtext", Action::ListText},
    {"pntext", Action::ListText},
    {"footnote", Action::Footnote},
    {"upr", Action::UnicodeAlternates},
    {"ud", Action::UnicodeText},
    // Groups without the \* mark that still hold no body text.
    {"colortbl", Action::SkipGroup},
    {"stylesheet", Action::SkipGroup},
    {"info", Action::SkipGroup},
    {"pict", Action::SkipGroup},
    {"object", Action::SkipGroup},
    {"nonshppict", Action::SkipGroup},
    {"shp", Action::SkipGroup},
    {"shpgrp", Action::SkipGroup},
    {"do", Action::SkipGroup},
    {"fldinst", Action::SkipGroup},
    {"datafield", Action::SkipGroup},
    {"header", Action::SkipGroup},
    {"headerl", Action::SkipGroup},
    {"headerr", Action::SkipGroup},
    {"headerf", Action::SkipGroup},
    {"footer", Action::SkipGroup},
    {"footerl", Action::SkipGroup},
    {"footerr", Action::SkipGroup},
    {"footerf", Action::SkipGroup},
    {"ftnsep", Action::SkipGroup},
    {"ftnsepc", Action::SkipGroup},
    {"ftncn", Action::SkipGroup},
    {"aftnsep", Action::SkipGroup},
    {"aftnsepc", Action::SkipGroup},
    {"aftncn", Action::SkipGroup},
    {"annotation", Action::SkipGroup},
    {"atnid", Action::SkipGroup},
    {"atnauthor", Action::SkipGroup},
    {"xe", Action::SkipGroup},
    {"tc", Action::SkipGroup},
    {"tcn", Action::SkipGroup},
    {"txe", Action::SkipGroup},
    {"rxe", Action::SkipGroup},
    {"pn", Action::SkipGroup},
    {"bkmkstart", Action::SkipGroup},
    {"bkmkend", Action::SkipGroup},
    {"listtable", Action::SkipGroup},
    {"listoverridetable", Action::SkipGroup},
    {"revtbl", Action::SkipGroup},
    {"rsidtbl", Action::SkipGroup},
    {"generator", Action::SkipGroup},
    {"template", Action::SkipGroup},
    {"private", Action::SkipGroup},
};

constexpr std::uint32_t hashStep(std::uint32_t hash, char c)
{
    return (hash ^ std::uint8_t(c)) * 16777619u;
}

constexpr std::uint32_t kHashSeed = 2166136261u;

// Open addressing over a power-of-two table; every word of the list is looked up
// for every control word of the document, so this is on the hot path.
class WordTable
{
public:
    WordTable()
    {
        for (const ControlWord &word : kControlWords) {
            std::uint32_t hash = kHashSeed;
            for (const char c : word.name)
                hash = hashStep(hash, c);
            std::size_t slot = hash & kMask;
            while (m_slots[slot])
                slot = (slot + 1) & kMask;
            m_slots[slot] = &word;
        }
    }

    const ControlWord *find(std::string_view name, std::uint32_t hash) const
    {
        for (std::size_t slot = hash & kMask; m_slots[slot]; slot = (slot + 1) & kMask) {
            if (m_slots[slot]->name == name)
                return m_slots[slot];
        }
        return nullptr;
    }

private:
    static constexpr std::size_t kSize = 512;
    static constexpr std::size_t kMask = kSize - 1;
    std::array<const ControlWord *, kSize> m_slots{};
};

const WordTable &wordTable()
{
    static const WordTable table;
    return table;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Printable ASCII that is text as it stands.
bool isPlainTextByte(char c)
{
    return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Cuts after kMaxRichTextLineLength units, one earlier when that would split a pair.
void cutLine(QString &line)
{
    if (line.size() <= kMaxRichTextLineLength)
        return;
    qsizetype length = kMaxRichTextLineLength;
    if (isHighSurrogate(line.at(length - 1).unicode()) && isLowSurrogate(line.at(length).unicode()))
        --length;
    line.truncate(length);
}

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0; // the document's code page
    }
}

QString romanNumber(int number)
{
    static constexpr std::pair<int, const char *> kDigits[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString text;
    for (const auto &[value, digits] : kDigits) {
        for (; number >= value; number -= value)
            text += QLatin1String(digits);
    }
    return text;
}

QString formatNumber(int number, NumberFormat format)
{
    const bool upper = format == NumberFormat::UpperAlpha || format == NumberFormat::UpperRoman;
    QString text;
    if ((format == NumberFormat::LowerRoman || format == NumberFormat::UpperRoman) && number > 0 &&
        number < 4000) {
        text = romanNumber(number);
    } else if ((format == NumberFormat::LowerAlpha || format == NumberFormat::UpperAlpha) &&
               number > 0 && number <= 26 * 10) {
        // a..z, then aa..zz as word processors count.
        text = QString((number - 1) / 26 + 1, QChar(u'a' + (number - 1) % 26));
    } else {
        text = QString::number(number);
    }
    return upper ? text.toUpper() : text;
}

// Collects lines and keeps each within kMaxRichTextLineLength as it grows.
class LineSink
{
public:
    struct Mark
    {
        qsizetype line = -1;
        qsizetype from = 0;
        qsizetype length = 0;
    };

    explicit LineSink(const LineLimits &limits) : m_limits(limits) {}

    void append(char16_t c)
    {
        if (m_high) {
            const char16_t high = std::exchange(m_high, 0);
            if (isLowSurrogate(c)) {
                putPair(high, c);
                return;
            }
            put(0xFFFD);
        }
        if (isHighSurrogate(c))
            m_high = c;
        else
            put(isLowSurrogate(c) ? char16_t(0xFFFD) : c);
    }

    void appendLatin1(const char *text, qsizetype length)
    {
        flushHigh();
        if (m_full)
            return;
        const qsizetype room = kMaxRichTextLineLength - m_line.size();
        m_line.append(QLatin1String(text, std::min(length, room)));
    }

    void appendText(QStringView text)
    {
        for (const QChar c : text)
            append(c.unicode());
    }

    void endLine()
    {
        flushHigh();
        keepLine();
    }

    bool lineStarted() const { return !m_line.isEmpty() || m_high; }

    Mark mark() const { return {m_text.lineCount, m_line.size(), 0}; }

    Mark markSince(Mark start) const
    {
        start.length = start.line == m_text.lineCount ? m_line.size() - start.from : 0;
        return start;
    }

    // Replaces text marked earlier, when it is still on the current line.
    void replace(Mark mark, const QString &text)
    {
        if (mark.line != m_text.lineCount || mark.from + mark.length > m_line.size())
            return;
        m_line.replace(mark.from, mark.length, text);
        cutLine(m_line);
    }

    RtfText finish()
    {
        flushHigh();
        if (!m_line.isEmpty())
            keepLine();
        return std::move(m_text);
    }

private:
    void put(char16_t c)
    {
        if (!m_full && m_line.size() < kMaxRichTextLineLength)
            m_line.append(QChar(c));
    }

    // A pair that does not fit ends the line's text: nothing after it may follow.
    void putPair(char16_t high, char16_t low)
    {
        if (m_full || m_line.size() + 2 > kMaxRichTextLineLength) {
            m_full = true;
            return;
        }
        m_line.append(QChar(high));
        m_line.append(QChar(low));
    }

    void flushHigh()
    {
        if (m_high) {
            m_high = 0;
            put(0xFFFD);
        }
    }

    // Past a limit the lines are only counted, and those kept so far are let go.
    void keepLine()
    {
        ++m_text.lineCount;
        m_text.characterCount += m_line.size();
        if (m_text.lineCount > m_limits.maxLines ||
            m_text.characterCount > m_limits.maxCharacters) {
            m_text.lines = QStringList();
            m_line.clear();
        } else {
            m_text.lines.append(std::exchange(m_line, QString()));
        }
        m_full = false;
    }

    LineLimits m_limits;
    RtfText m_text;
    QString m_line;
    char16_t m_high = 0;
    bool m_full = false;
};

enum class Destination : std::uint8_t
{
    Text,
    FontTable,
    ListText,
    UnicodeAlternates
};

struct GroupState
{
    Destination destination = Destination::Text;
    std::uint8_t fallbackLength = 1;
    int codePage = 0; // 0: the document's
};

// A control word, its letters copied: the input buffer moves as it refills.
struct Word
{
    std::array<char, kMaxWordLength + 1> letters{};
    std::size_t length = 0;
    std::uint32_t hash = kHashSeed;
    int parameter = 0;

    // Longer words are no word of ours.
    bool fits() const { return length <= kMaxWordLength; }
    std::string_view name() const { return {letters.data(), std::min(length, letters.size())}; }
};

// Enough for a control word's lookahead and for "\ftnalt" after blanks.
constexpr qsizetype kLookahead = 64;
constexpr qsizetype kChunkBytes = 256 * 1024;
// Bytes of a double-byte code page wait to be decoded in runs of about this many.
constexpr qsizetype kMaxPendingBytes = 4096;

class RtfReader
{
public:
    RtfReader(QByteArrayView bytes, const LineLimits &limits)
        : m_pos(bytes.data()), m_end(bytes.data() + bytes.size()), m_out(limits)
    {}

    RtfReader(const ByteSource &source, const LineLimits &limits)
        : m_pos(nullptr), m_end(nullptr), m_source(&source), m_out(limits)
    {}

    // Skips leading whitespace; false when no "{\rtf" follows it.
    bool startsDocument()
    {
        while (available() && (*m_pos == ' ' || *m_pos == '\t' || *m_pos == '\r' || *m_pos == '\n'))
            ++m_pos;
        return available(5) && QByteArrayView(m_pos, 5) == QByteArrayView("{\\rtf");
    }

    RtfText read()
    {
        while (!m_finished && available()) {
            switch (*m_pos) {
            case '{':
                ++m_pos;
                openGroup();
                break;
            case '}':
                ++m_pos;
                closeGroup();
                break;
            case '\\':
                ++m_pos;
                escape();
                break;
            case '\r':
            case '\n':
                ++m_pos; // raw line ends are not text
                break;
            default:
                text();
                break;
            }
        }
        flushBytes();
        return m_out.finish();
    }

private:
    // Makes `count` bytes readable at m_pos unless the input ends first.
    bool available(qsizetype count = 1) { return m_end - m_pos >= count || refill(count); }

    bool refill(qsizetype count)
    {
        if (!m_source || m_sourceDone)
            return false;
        const qsizetype kept = m_end - m_pos;
        if (m_buffer.isEmpty())
            m_buffer.resize(kChunkBytes);
        if (kept > 0)
            std::memmove(m_buffer.data(), m_pos, std::size_t(kept));
        qsizetype filled = kept;
        while (filled < count) {
            const qsizetype read = (*m_source)(m_buffer.data() + filled, m_buffer.size() - filled);
            if (read <= 0) {
                m_sourceDone = true;
                break;
            }
            filled += std::min(read, m_buffer.size() - filled);
        }
        m_pos = m_buffer.constData();
        m_end = m_pos + filled;
        return filled >= count;
    }

    void openGroup()
    {
        flushBytes();
        m_pendingFallback = 0;
        if (m_groups.size() >= kMaxGroupDepth) {
            ++m_untrackedDepth;
            return;
        }
        m_groups.push_back(m_group);
    }

    void closeGroup()
    {
        flushBytes();
        m_pendingFallback = 0;
        if (m_untrackedDepth > 0) {
            --m_untrackedDepth;
            return;
        }
        if (m_groups.empty())
            return;
        const GroupState inner = std::exchange(m_group, m_groups.back());
        m_groups.pop_back();
        if (inner.destination == Destination::ListText &&
            m_group.destination != Destination::ListText)
            finishLabel();
        if (inner.destination == Destination::FontTable &&
            m_group.destination != Destination::FontTable)
            m_group.codePage = fontCodePage(m_defaultFont);
        if (m_groups.empty())
            m_finished = true; // the document's own group has closed
    }

    void escape()
    {
        if (!available())
            return;
        const char c = *m_pos;
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_pos;
        if (c == '*') {
            // A \* group that is not one we know holds nothing to show.
            if (available(2) && m_pos[0] == '\\' && isLetter(m_pos[1]))
                m_starred = true;
            else
                skipGroup();
            return;
        }
        if (c == '\r' || c == '\n') {
            m_pendingFallback = 0;
            endLine(); // a backslash before a raw line end is a paragraph end
            return;
        }
        if (c == '\'') {
            hexByte();
            return;
        }
        if (eatFallback())
            return;
        if (m_trailDue && (c == '{' || c == '}' || c == '\\')) {
            emitByte(static_cast<unsigned char>(c));
            return;
        }
        switch (c) {
        case '~':
            emitChar(0x00A0);
            break;
        case '-':
            emitChar(0x00AD);
            break;
        case '_':
            emitChar(0x2011);
            break;
        case '{':
        case '}':
        case '\\':
            emitChar(char16_t(c));
            break;
        default:
            break; // \| \: and unknown symbols show nothing
        }
    }

    Word readWord()
    {
        Word word;
        while (available() && isLetter(*m_pos)) {
            const char c = *m_pos++;
            word.hash = hashStep(word.hash, c);
            if (word.length < word.letters.size())
                word.letters[word.length] = c;
            word.length = std::min(word.length + 1, word.letters.size() + 1);
        }
        const bool negative = available(2) && *m_pos == '-' && isDigit(m_pos[1]);
        if (negative)
            ++m_pos;
        std::int64_t value = 0;
        // Saturates well past the int range, which clamping below then maps into it.
        while (available() && isDigit(*m_pos))
            value = std::min<std::int64_t>(value * 10 + (*m_pos++ - '0'), 1LL << 32);
        value = negative ? -value : value;
        word.parameter = int(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
        if (available() && *m_pos == ' ')
            ++m_pos;
        return word;
    }

    void controlWord()
    {
        const Word word = readWord();
        const ControlWord *known = word.fits() ? wordTable().find(word.name(), word.hash) : nullptr;
        const Action action = known ? known->action : Action::Ignore;
        if (std::exchange(m_starred, false) && !isDestination(action)) {
            skipGroup();
            return;
        }
        if (isFallbackUnit(action) && eatFallback()) {
            if (action == Action::Binary)
                skipBytes(word.parameter);
            return;
        }
        m_pendingFallback = 0;
        act(action, known ? known->value : 0, word.parameter);
    }

    void act(Action action, char16_t value, int parameter)
    {
        flushBytes();
        switch (action) {
        case Action::Ignore:
            break;
        case Action::Char:
            emitChar(value);
            break;
        case Action::EndLine:
            endLine();
            break;
        case Action::Break:
            if (m_group.destination == Destination::Text && (m_out.lineStarted() || hasLabel()))
                endLine();
            break;
        case Action::Unicode:
            unicode(parameter);
            break;
        case Action::FallbackLength:
            m_group.fallbackLength = std::uint8_t(std::clamp(parameter, 0, kMaxFallbackLength));
            break;
        case Action::Binary:
            skipBytes(parameter);
            break;
        case Action::Font:
            font(parameter);
            break;
        case Action::FontCharset:
            defineFontCodePage(codePageOfCharset(parameter));
            break;
        case Action::FontCodePage:
            defineFontCodePage(parameter);
            break;
        case Action::DocumentCodePage:
            m_documentCodePage = parameter;
            break;
        case Action::DefaultFont:
            m_defaultFont = parameter;
            break;
        case Action::Plain:
            m_group.codePage = fontCodePage(m_defaultFont);
            break;
        case Action::ParagraphDefaults:
            if (m_group.destination != Destination::ListText)
                m_listLevel = 0;
            break;
        case Action::ListLevel:
            m_listLevel = std::clamp(parameter, 0, kMaxListLevel);
            break;
        case Action::FootnoteAnchor:
            footnoteAnchor();
            break;
        case Action::FootnoteFormat:
            m_footnoteFormat = NumberFormat(value);
            break;
        case Action::EndnoteFormat:
            m_endnoteFormat = NumberFormat(value);
            break;
        case Action::FootnoteStart:
            m_footnoteNumber = std::clamp(parameter, 0, kMaxFirstNoteNumber);
            break;
        case Action::EndnoteStart:
            m_endnoteNumber = std::clamp(parameter, 0, kMaxFirstNoteNumber);
            break;
        default:
            destination(action);
            break;
        }
    }

    void destination(Action action)
    {
        switch (action) {
        case Action::FontTable:
            m_group.destination = Destination::FontTable;
            break;
        case Action::ListText:
            m_group.destination = Destination::ListText;
            m_labelText.clear();
            break;
        case Action::Footnote:
            footnote();
            break;
        case Action::UnicodeAlternates:
            m_group.destination = Destination::UnicodeAlternates;
            break;
        case Action::UnicodeText:
            if (m_group.destination == Destination::UnicodeAlternates)
                m_group.destination = Destination::Text;
            break;
        default:
            skipGroup();
            break;
        }
    }

    // Text as it stands, up to the next brace, backslash or 8-bit byte.
    void text()
    {
        if (eatFallback()) {
            ++m_pos;
            return;
        }
        if (m_trailDue) {
            emitByte(static_cast<unsigned char>(*m_pos++));
            return;
        }
        const char *start = m_pos;
        while (m_pos < m_end && isPlainTextByte(*m_pos))
            ++m_pos;
        if (m_pos > start) {
            emitLatin1(start, m_pos - start);
            return;
        }
        emitByte(static_cast<unsigned char>(*m_pos++));
    }

    void hexByte()
    {
        const int high = available() ? hexValue(*m_pos) : -1;
        if (high < 0)
            return;
        ++m_pos;
        const int low = available() ? hexValue(*m_pos) : -1;
        if (low < 0)
            return;
        ++m_pos;
        if (!eatFallback())
            emitByte(static_cast<unsigned char>(high << 4 | low));
    }

    void unicode(int value)
    {
        // Writers give values above 32767 as negative 16-bit numbers.
        if (value < 0)
            value += 0x10000;
        if (value >= 0x20 || value == '\t')
            emitChar(value <= 0xFFFF ? char16_t(value) : char16_t(0xFFFD));
        else if (value < 0)
            emitChar(0xFFFD);
        m_pendingFallback = m_group.fallbackLength;
    }

    bool eatFallback()
    {
        if (m_pendingFallback == 0)
            return false;
        --m_pendingFallback;
        return true;
    }

    void skipBytes(qsizetype count)
    {
        while (count > 0 && available()) {
            const qsizetype step = std::min(count, qsizetype(m_end - m_pos));
            m_pos += step;
            count -= step;
        }
    }

    // Jumps to the end of the current group, counting nested groups only.
    void skipGroup()
    {
        int depth = 0;
        while (available()) {
            // Pictures are long runs of hex digits: pass them a buffer at a time.
            while (m_pos < m_end && *m_pos != '{' && *m_pos != '}' && *m_pos != '\\')
                ++m_pos;
            if (m_pos == m_end)
                continue;
            const char c = *m_pos++;
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (depth-- == 0) {
                    closeGroup();
                    return;
                }
            } else if (available()) {
                if (!isLetter(*m_pos)) {
                    ++m_pos; // an escaped brace or backslash is not structure
                    continue;
                }
                const Word word = readWord();
                if (word.name() == "bin")
                    skipBytes(word.parameter);
            }
        }
    }

    void font(int number)
    {
        if (m_group.destination == Destination::FontTable) {
            m_definedFont = number;
            defineFontCodePage(0);
        } else {
            m_group.codePage = fontCodePage(number);
        }
    }

    void defineFontCodePage(int codePage)
    {
        if (m_group.destination != Destination::FontTable)
            return;
        if (m_fonts.size() < kMaxFonts || m_fonts.contains(m_definedFont))
            m_fonts.insert(m_definedFont, codePage);
    }

    int fontCodePage(int font) const { return m_fonts.value(font, 0); }

    int codePage() const { return m_group.codePage ? m_group.codePage : m_documentCodePage; }

    void footnoteAnchor()
    {
        if (m_group.destination != Destination::Text)
            return;
        const LineSink::Mark start = m_out.mark();
        emitString(formatNumber(m_footnoteNumber++, m_footnoteFormat));
        m_anchor = m_out.markSince(start);
    }

    // A note marked \ftnalt is an endnote: its anchor takes the endnote number.
    void footnote()
    {
        if (nextWordIs("ftnalt") && m_anchor.line >= 0) {
            --m_footnoteNumber;
            m_out.replace(m_anchor, formatNumber(m_endnoteNumber++, m_endnoteFormat));
        }
        m_anchor = {};
        skipGroup();
    }

    bool nextWordIs(std::string_view name)
    {
        available(kLookahead);
        const char *p = m_pos;
        while (p < m_end && (*p == ' ' || *p == '\r' || *p == '\n'))
            ++p;
        if (m_end - p <= qsizetype(name.size()) || *p++ != '\\')
            return false;
        return std::string_view(p, name.size()) == name &&
               (p + name.size() == m_end || !isLetter(p[name.size()]));
    }

    bool hasLabel() const { return !m_label.isEmpty(); }

    // The label of a list paragraph, as the paragraph's level indents it.
    void finishLabel()
    {
        QString label = m_labelText.trimmed();
        for (QChar &c : label) {
            // Symbol-font bullets arrive as U+F0B7 (private use) or as byte B7.
            if (c == QChar(0xF0B7) || c == QChar(0x00B7))
                c = QChar(0x2022);
        }
        m_label = label;
        m_labelText.clear();
    }

    void flushLabel()
    {
        const QString label = std::exchange(m_label, QString());
        m_out.appendText(QString(4 * (m_listLevel + 1), u' '));
        m_out.appendText(label);
        m_out.append(u' ');
    }

    void endLine()
    {
        flushBytes();
        if (m_group.destination != Destination::Text)
            return;
        if (hasLabel())
            flushLabel();
        m_out.endLine();
    }

    void emitChar(char16_t c)
    {
        flushBytes();
        putChar(c);
    }

    void putChar(char16_t c)
    {
        switch (m_group.destination) {
        case Destination::Text:
            if (hasLabel())
                flushLabel();
            m_out.append(c);
            break;
        case Destination::ListText:
            if (m_labelText.size() < kMaxLabelLength)
                m_labelText.append(QChar(c));
            break;
        default:
            break;
        }
    }

    void emitString(QStringView text)
    {
        for (const QChar c : text)
            emitChar(c.unicode());
    }

    void emitLatin1(const char *text, qsizetype length)
    {
        flushBytes();
        if (m_group.destination == Destination::Text && !hasLabel()) {
            m_out.appendLatin1(text, length);
            return;
        }
        for (qsizetype i = 0; i < length; ++i)
            emitChar(char16_t(static_cast<unsigned char>(text[i])));
    }

    // Control characters other than tab are not text, whichever way they arrive.
    void putDecoded(char16_t c)
    {
        if (c >= 0x20 || c == '\t')
            putChar(c);
    }

    void emitByte(unsigned char byte)
    {
        const CodePageDecoder &page = decoder();
        if (!page.isDoubleByte()) {
            flushBytes();
            putDecoded(page.charOf(byte));
            return;
        }
        if (&page != m_bytesPage)
            flushBytes();
        m_bytesPage = &page;
        m_bytes.append(char(byte));
        m_trailDue = !m_trailDue && page.isLeadByte(byte);
        if (!m_trailDue && m_bytes.size() >= kMaxPendingBytes)
            flushBytes();
    }

    // Decodes the waiting bytes of a double-byte code page; a lead byte whose
    // trail never came gives U+FFFD.
    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        m_trailDue = false;
        m_decoded.clear();
        m_bytesPage->decode(m_bytes, m_decoded);
        m_bytes.clear();
        for (const QChar c : std::as_const(m_decoded))
            putDecoded(c.unicode());
    }

    const CodePageDecoder &decoder()
    {
        const int number = codePage();
        if (m_page && m_pageNumber == number)
            return *m_page;
        // Keyed by the page that reads it, so that odd numbers cannot pile up decoders.
        std::unique_ptr<CodePageDecoder> &page =
            m_pages[CodePageDecoder::effectiveCodePage(number)];
        if (!page)
            page = std::make_unique<CodePageDecoder>(number);
        m_pageNumber = number;
        m_page = page.get();
        return *m_page;
    }

    const char *m_pos;
    const char *m_end;
    const ByteSource *m_source = nullptr;
    QByteArray m_buffer;
    bool m_sourceDone = false;
    bool m_finished = false;
    std::vector<GroupState> m_groups;
    GroupState m_group;
    qsizetype m_untrackedDepth = 0;
    int m_pendingFallback = 0;
    bool m_starred = false;
    LineSink m_out;

    QHash<int, int> m_fonts;
    int m_definedFont = 0;
    int m_defaultFont = 0;
    int m_documentCodePage = 1252;

    std::map<int, std::unique_ptr<CodePageDecoder>> m_pages;
    const CodePageDecoder *m_page = nullptr;
    int m_pageNumber = 0;
    QByteArray m_bytes; // of a double-byte code page, waiting for their decoding
    const CodePageDecoder *m_bytesPage = nullptr;
    bool m_trailDue = false;
    QString m_decoded;

    QString m_labelText;
    QString m_label;
    int m_listLevel = 0;

    int m_footnoteNumber = 1;
    int m_endnoteNumber = 1;
    NumberFormat m_footnoteFormat = NumberFormat::Arabic;
    NumberFormat m_endnoteFormat = NumberFormat::Arabic;
    LineSink::Mark m_anchor;
};

} // namespace

std::optional<QStringList> rtfToLines(QByteArrayView bytes)
{
    RtfReader reader(bytes, LineLimits());
    if (!reader.startsDocument())
        return std::nullopt;
    return reader.read().lines;
}

std::optional<RtfText> rtfToLines(const ByteSource &source, const LineLimits &limits)
{
    RtfReader reader(source, limits);
    if (!reader.startsDocument())
        return std::nullopt;
    return reader.read();
}

bool startsRtf(QByteArrayView head)
{
    return RtfReader(head, LineLimits()).startsDocument();
}

QStringList cutLongLines(QStringList lines)
{
    for (QString &line : lines)
        cutLine(line);
    return lines;
}
