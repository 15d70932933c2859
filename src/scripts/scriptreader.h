#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// Plain text scripts larger than this are refused before a byte of them is read.
inline constexpr qint64 kMaxScriptBytes = 16 * 1024 * 1024;
// RTF carries its pictures as hex text, so its files may be far larger; the
// reader streams them and keeps only the text.
inline constexpr qint64 kMaxRichTextBytes = 512 * 1024 * 1024;

// Word and OpenDocument files carry their pictures too; only the text part is unpacked.
inline constexpr qint64 kMaxDocumentBytes = 512 * 1024 * 1024;

// Longer scripts would keep the view busy for seconds before it shows them.
inline constexpr qsizetype kMaxScriptLines = 100000;
inline constexpr qsizetype kMaxScriptCharacters = 8000000;

// True when the file name's extension, from its last dot, is ".rtf" in any case.
bool isRichTextPath(const QString &path);

// The reader a script's file name asks for, by its extension in any case:
// .rtf, .docx, .odt, .md and .markdown; anything else is plain text.
enum class ScriptKind
{
    PlainText,
    RichText,
    WordDocument,
    OpenDocument,
    Markdown
};
ScriptKind scriptKindFor(const QString &path);

// All bytes of a regular file of at most `maxBytes`. Throws TavrixError
// "Cannot open file ..." with the system's reason; never blocks on a FIFO and
// never reads more than maxBytes + 1 bytes.
QByteArray readFileBytes(const QString &path, qint64 maxBytes);

// The system's own text for an errno value.
QString systemErrorText(int errorNumber);

// Throws what readScript throws when `path` cannot be opened as a script: it is
// missing, unreadable, not a regular file, or over the byte cap of its reader.
// Reads nothing.
void checkScriptOpens(const QString &path);

// What a reader dropped of the file besides formatting: set when a plain text
// ends at a NUL character, so the script is only the file's beginning.
struct ReadLoss
{
    bool endsAtNul = false;
};

// The plain text reader: decodeLines of the file, lines not cut.
QStringList readPlainTextFile(const QString &path, ReadLoss *loss = nullptr);

// The rich text reader: rtfToLines of the file; a file that is not RTF is read
// as plain text, its lines cut as rich text lines are.
QStringList readRichTextFile(const QString &path, ReadLoss *loss = nullptr);

// The document readers (Word, OpenDocument, Markdown): the script's lines and
// its headings, under the same limits; a file that is not the document its
// name says is refused with a message in the program's words.
struct DocumentText;
DocumentText readDocumentFile(const QString &path);

// A script from text that was never a file (the clipboard's): its lines under
// the same limits, refused with the cannot-open message naming `title`.
QStringList scriptFromText(const QString &title, const QString &text);

// The script read rule: the reader scriptKindFor names.
// Each reader refuses a script too long for the view with the cannot-open
// message, before it holds the script's text. `headings`, when given, gets a
// document's heading lines (none for plain text and RTF).
QStringList readScript(const QString &path, ReadLoss *loss = nullptr,
                       QList<qsizetype> *headings = nullptr);
