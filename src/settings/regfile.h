#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// A registry export file ("Windows Registry Editor Version 5.00") held in
// memory: keys with named values, matched without regard to case.
//
// Key paths are full paths below no hive in particular ("HKEY_CURRENT_USER\A\B");
// empty segments are ignored. The value name "" is the default value ("@").
// Entries read from a file and not changed since are written back verbatim,
// so hex values, comments and unknown keys survive a rewrite untouched.
class RegFile
{
public:
    enum class Type
    {
        Missing,
        Dword,
        String,
        Other
    };

    // A larger file is not read at all; the store holds a few kilobytes.
    static constexpr qsizetype MaxFileSize = 1024 * 1024;

    // Never fails: the lines that parse are kept, and damaged() tells whether
    // anything of the input (a line, the header, an encoding error) was lost.
    static RegFile parse(QByteArrayView bytes);

    // UTF-8 without byte-order mark, CR LF line ends.
    QByteArray serialise() const;

    bool damaged() const { return m_damaged; }

    // True when the key or a key below it exists.
    bool hasKey(QStringView key) const;
    Type type(QStringView key, QStringView name) const;
    std::optional<quint32> dword(QStringView key, QStringView name) const;
    std::optional<QString> string(QStringView key, QStringView name) const;

    // Create the key when missing. False, changing nothing, for a key, name or
    // text the format cannot hold (a line feed, or a key with no segment).
    bool setDword(QStringView key, QStringView name, quint32 value);
    bool setString(QStringView key, QStringView name, const QString &value);

    // Key paths and value names as written in the file, in file order.
    QStringList keys() const;
    QStringList valueNames(QStringView key) const;

private:
    struct Entry
    {
        Type type = Type::Other; // Missing marks a comment line
        QString name;
        QString text;
        quint32 number = 0;
        QString raw; // the entry's lines as read, empty once changed
    };
    struct Key
    {
        QString path;
        QString header; // the bracketed line as read, empty for a new key
        QList<Entry> entries;
        QHash<QString, qsizetype> byName;
    };

    static QString folded(QStringView path);
    const Entry *find(QStringView key, QStringView name) const;
    Entry *entryForWrite(QStringView key, QStringView name);
    Key &keyForWrite(QStringView key);
    void addEntry(Key &key, Entry entry);
    void parseText(QStringView text);
    static std::optional<Entry> parseValue(QStringView line, bool *continues);

    QList<QString> m_preamble; // comment lines before the first key
    QList<Key> m_keys;
    QHash<QString, qsizetype> m_keyIndex;
    bool m_damaged = false;
};
