#include "regfile.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QString header = QStringLiteral("Windows Registry Editor Version 5.00");
const QString header4 = QStringLiteral("REGEDIT4");

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

// The body of a hex value or of its continuation line: byte pairs, commas,
// blanks, and a final backslash when the next line goes on.
bool isHexBody(QStringView body, bool *continues)
{
    *continues = body.endsWith(u'\\');
    if (*continues)
        body.chop(1);
    for (QChar c : body) {
        if (!isHexDigit(c) && c != u',' && !c.isSpace())
            return false;
    }
    return true;
}

// Reads a quoted text starting at text[*pos] == '"'; only \\ and \" are
// escapes, any other backslash stands for itself.
std::optional<QString> readQuoted(QStringView text, qsizetype *pos)
{
    QString out;
    for (qsizetype i = *pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            *pos = i + 1;
            return out;
        }
        if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"'))
            ++i;
        out += text[i];
    }
    return std::nullopt;
}

QString quoted(QStringView text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (QChar c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

QList<QStringView> segments(QStringView path)
{
    QList<QStringView> out;
    for (QStringView part : path.tokenize(u'\\', Qt::SkipEmptyParts))
        out.append(part);
    return out;
}

} // namespace

QString RegFile::folded(QStringView path)
{
    QString out;
    out.reserve(path.size());
    for (QStringView part : path.tokenize(u'\\', Qt::SkipEmptyParts)) {
        if (!out.isEmpty())
            out += u'\\';
        out += part;
    }
    return out.toCaseFolded();
}

RegFile RegFile::parse(QByteArrayView bytes)
{
    RegFile file;
    if (bytes.size() > MaxFileSize) {
        file.m_damaged = true;
        return file;
    }
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        bytes = bytes.sliced(2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        bytes = bytes.sliced(2);
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    // The mark is gone already; a second one is text, and a torn character an error.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless |
                                         QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder(bytes);
    file.m_damaged = decoder.hasError() || hasLoneSurrogate(text);
    file.parseText(text);
    return file;
}

// A value line: "name" or @, "=", then a quoted string, dword:, hex... or "-".
std::optional<RegFile::Entry> RegFile::parseValue(QStringView line, bool *continues)
{
    *continues = false;
    Entry entry;
    qsizetype pos = 0;
    if (line.startsWith(u'@')) {
        pos = 1;
    } else if (line.startsWith(u'"')) {
        const auto name = readQuoted(line, &pos);
        if (!name)
            return std::nullopt;
        entry.name = *name;
    } else {
        return std::nullopt;
    }
    QStringView rest = line.sliced(pos).trimmed();
    if (!rest.startsWith(u'='))
        return std::nullopt;
    rest = rest.sliced(1).trimmed();

    if (rest.startsWith(u'"')) {
        qsizetype at = 0;
        const auto value = readQuoted(rest, &at);
        if (!value || at != rest.size())
            return std::nullopt;
        entry.type = Type::String;
        entry.text = *value;
        return entry;
    }
    if (rest.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = rest.sliced(6);
        if (digits.isEmpty() || digits.size() > 8 ||
            !std::all_of(digits.begin(), digits.end(), isHexDigit))
            return std::nullopt;
        entry.type = Type::Dword;
        entry.number = digits.toUInt(nullptr, 16);
        return entry;
    }
    if (rest.startsWith(u"hex", Qt::CaseInsensitive)) {
        QStringView body = rest.sliced(3);
        if (body.startsWith(u'(')) {
            const qsizetype close = body.indexOf(u')');
            const QStringView kind = close > 1 ? body.sliced(1, close - 1) : QStringView();
            if (kind.isEmpty() || !std::all_of(kind.begin(), kind.end(), isHexDigit))
                return std::nullopt;
            body = body.sliced(close + 1);
        }
        if (!body.startsWith(u':') || !isHexBody(body.sliced(1), continues))
            return std::nullopt;
        return entry; // kept as written
    }
    if (rest == u"-")
        return entry; // a deletion mark, kept as written
    return std::nullopt;
}

void RegFile::parseText(QStringView text)
{
    bool expectHeader = true;
    qsizetype current = -1;       // index: m_keys grows while we read
    std::optional<Entry> pending; // a hex value whose last line ended in a backslash

    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start);
        start = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();

        if (pending) {
            bool continues = false;
            if (!trimmed.isEmpty() && isHexBody(trimmed, &continues)) {
                pending->raw += QStringLiteral("\r\n") + line;
                if (!continues) {
                    addEntry(m_keys[current], std::move(*pending));
                    pending.reset();
                }
                continue;
            }
            m_damaged = true; // a value cut short is dropped
            pending.reset();
        }
        if (trimmed.isEmpty())
            continue;
        if (expectHeader) {
            expectHeader = false;
            if (trimmed == header || trimmed == header4)
                continue;
            m_damaged = true;
        }

        if (trimmed.startsWith(u';')) {
            Entry comment;
            comment.type = Type::Missing;
            comment.raw = line.toString();
            if (current >= 0)
                m_keys[current].entries.append(std::move(comment));
            else
                m_preamble.append(line.toString());
            continue;
        }

        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && trimmed.size() >= 2) {
            const QStringView path = trimmed.sliced(1, trimmed.size() - 2);
            const QString id = folded(path);
            if (id.isEmpty()) {
                m_damaged = true;
                current = -1;
                continue;
            }
            const auto found = m_keyIndex.constFind(id);
            if (found != m_keyIndex.constEnd()) {
                current = *found;
                continue;
            }
            current = m_keys.size();
            m_keyIndex.insert(id, current);
            m_keys.append(Key{path.toString(), line.toString(), {}, {}});
            continue;
        }

        if (current < 0) {
            m_damaged = true;
            continue;
        }

        bool continues = false;
        std::optional<Entry> entry = parseValue(trimmed, &continues);
        if (!entry) {
            m_damaged = true;
            continue;
        }
        entry->raw = line.toString();
        if (continues) {
            pending = std::move(entry);
            continue;
        }
        addEntry(m_keys[current], std::move(*entry));
    }
    if (pending)
        m_damaged = true;
}

void RegFile::addEntry(Key &key, Entry entry)
{
    const QString id = entry.name.toCaseFolded();
    const auto found = key.byName.constFind(id);
    if (found != key.byName.constEnd()) {
        key.entries[*found] = std::move(entry); // a later line wins, as on import
        return;
    }
    key.byName.insert(id, key.entries.size());
    key.entries.append(std::move(entry));
}

QByteArray RegFile::serialise() const
{
    QString out = header + QStringLiteral("\r\n");
    for (const QString &line : m_preamble)
        out += line + QStringLiteral("\r\n");
    out += QStringLiteral("\r\n");
    for (const Key &key : m_keys) {
        out +=
            (key.header.isEmpty() ? u'[' + key.path + u']' : key.header) + QStringLiteral("\r\n");
        for (const Entry &entry : key.entries) {
            if (!entry.raw.isEmpty()) {
                out += entry.raw;
            } else {
                out += entry.name.isEmpty() ? QStringLiteral("@") : quoted(entry.name);
                out += u'=';
                if (entry.type == Type::Dword)
                    out += QStringLiteral("dword:%1").arg(entry.number, 8, 16, QLatin1Char('0'));
                else
                    out += quoted(entry.text);
            }
            out += QStringLiteral("\r\n");
        }
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

bool RegFile::hasKey(QStringView key) const
{
    const QString id = folded(key);
    if (id.isEmpty())
        return false;
    if (m_keyIndex.contains(id))
        return true;
    const QString below = id + u'\\';
    for (const Key &k : m_keys) {
        if (folded(k.path).startsWith(below))
            return true;
    }
    return false;
}

const RegFile::Entry *RegFile::find(QStringView key, QStringView name) const
{
    const auto k = m_keyIndex.constFind(folded(key));
    if (k == m_keyIndex.constEnd())
        return nullptr;
    const Key &found = m_keys[*k];
    const auto e = found.byName.constFind(name.toString().toCaseFolded());
    return e == found.byName.constEnd() ? nullptr : &found.entries[*e];
}

RegFile::Type RegFile::type(QStringView key, QStringView name) const
{
    const Entry *entry = find(key, name);
    return entry ? entry->type : Type::Missing;
}

std::optional<quint32> RegFile::dword(QStringView key, QStringView name) const
{
    const Entry *entry = find(key, name);
    if (!entry || entry->type != Type::Dword)
        return std::nullopt;
    return entry->number;
}

std::optional<QString> RegFile::string(QStringView key, QStringView name) const
{
    const Entry *entry = find(key, name);
    if (!entry || entry->type != Type::String)
        return std::nullopt;
    return entry->text;
}

RegFile::Key &RegFile::keyForWrite(QStringView key)
{
    const QString id = folded(key);
    const auto found = m_keyIndex.constFind(id);
    if (found != m_keyIndex.constEnd())
        return m_keys[*found];

    // The leading segments keep the case of the key that first created them.
    const QList<QStringView> wanted = segments(key);
    QList<QStringView> known;
    qsizetype shared = 0;
    for (const Key &k : m_keys) {
        const QList<QStringView> have = segments(k.path);
        qsizetype n = 0;
        while (n < have.size() && n < wanted.size() &&
               have[n].compare(wanted[n], Qt::CaseInsensitive) == 0)
            ++n;
        if (n > shared) {
            shared = n;
            known = have;
        }
    }
    QString path;
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        if (i > 0)
            path += u'\\';
        path += i < shared ? known[i] : wanted[i];
    }
    m_keyIndex.insert(id, m_keys.size());
    return m_keys.emplace_back(Key{path, {}, {}, {}});
}

RegFile::Entry *RegFile::entryForWrite(QStringView key, QStringView name)
{
    if (folded(key).isEmpty() || key.contains(u'\n') || name.contains(u'\n'))
        return nullptr;
    Key &k = keyForWrite(key);
    const QString id = name.toString().toCaseFolded();
    const auto found = k.byName.constFind(id);
    if (found != k.byName.constEnd()) {
        Entry &entry = k.entries[*found];
        entry.raw.clear();
        return &entry;
    }
    k.byName.insert(id, k.entries.size());
    Entry &entry = k.entries.emplace_back();
    entry.name = name.toString();
    return &entry;
}

bool RegFile::setDword(QStringView key, QStringView name, quint32 value)
{
    Entry *entry = entryForWrite(key, name);
    if (!entry)
        return false;
    entry->type = Type::Dword;
    entry->number = value;
    entry->text.clear();
    return true;
}

bool RegFile::setString(QStringView key, QStringView name, const QString &value)
{
    if (value.contains(u'\n'))
        return false;
    Entry *entry = entryForWrite(key, name);
    if (!entry)
        return false;
    entry->type = Type::String;
    entry->text = value;
    return true;
}

QStringList RegFile::keys() const
{
    QStringList out;
    out.reserve(m_keys.size());
    for (const Key &key : m_keys)
        out.append(key.path);
    return out;
}

QStringList RegFile::valueNames(QStringView key) const
{
    QStringList out;
    const auto k = m_keyIndex.constFind(folded(key));
    if (k == m_keyIndex.constEnd())
        return out;
    for (const Entry &entry : m_keys[*k].entries) {
        if (entry.type != Type::Missing)
            out.append(entry.name);
    }
    return out;
}
