#include "childprocess.h"
#include "rtftext.h"
#include "scriptreader.h"
#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kRtfDocument = "{\\rtf1\\ansi caf\\'e9\\par second\\par }";

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

void makeSparseFile(const QString &path, qint64 size)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QVERIFY(file.resize(size));
}

QString cannotOpen(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason);
}

QString failureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const TavrixError &error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
}

QString failureOf(const QString &path)
{
    return failureOf([&] { readScript(path); });
}

QString openCheckFailure(const QString &path)
{
    return failureOf([&] { checkScriptOpens(path); });
}

// An RTF document of `lines` paragraphs of `length` characters each.
QByteArray rtfParagraphs(qsizetype lines, qsizetype length)
{
    return "{\\rtf1\\ansi " + QByteArray(QByteArray(length, 'x') + "\\par\n").repeated(lines) + "}";
}

QByteArray plainLines(qsizetype lines, qsizetype length)
{
    return QByteArray(QByteArray(length, 'x') + "\r\n").repeated(lines);
}

// A picture of `hexBytes` hex digits between two words, as writers embed them.
void writeRtfWithPicture(const QString &path, qint64 hexBytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("{\\rtf1\\ansi before{\\*\\shppict{\\pict\\pngblip\n") > 0);
    const QByteArray hex = QByteArray("89504e470d0a1a0a").repeated(8192) + '\n';
    for (qint64 written = 0; written < hexBytes; written += hex.size())
        QCOMPARE(file.write(hex), hex.size());
    QVERIFY(file.write("}}after\\par}") > 0);
}

} // namespace

class ScriptReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isRichTextPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("rich");
        QTest::newRow("talk.RTF") << u"/s/talk.RTF"_s << true;
        QTest::newRow("talk.Rtf") << u"/s/talk.Rtf"_s << true;
        QTest::newRow("talk.rtf") << u"/s/talk.rtf"_s << true;
        QTest::newRow("two dots") << u"/s/talk.v2.rtf"_s << true;
        QTest::newRow("name is only the extension") << u"/s/.rtf"_s << true;
        QTest::newRow("talk.rtf.txt") << u"/s/talk.rtf.txt"_s << false;
        QTest::newRow("talk") << u"/s/talk"_s << false;
        QTest::newRow("talk.doc") << u"/s/talk.doc"_s << false;
        QTest::newRow("dot in the folder only") << u"/dir.rtf/talk"_s << false;
        QTest::newRow("trailing dot") << u"/s/talk.rtf."_s << false;
        QTest::newRow("longer extension") << u"/s/talk.rtfd"_s << false;
        QTest::newRow("relative") << u"talk.rtf"_s << true;
        QTest::newRow("empty") << QString() << false;
    }

    void isRichTextPath()
    {
        QFETCH(QString, path);
        QFETCH(bool, rich);
        QCOMPARE(::isRichTextPath(path), rich);
    }

    void readScript_choosesReaderByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("lines");
        const QStringList asRtf{u"café"_s, u"second"_s};
        const QStringList asText{QString::fromLatin1(kRtfDocument)};
        QTest::newRow("talk.RTF") << u"talk.RTF"_s << asRtf;
        QTest::newRow("talk.Rtf") << u"talk.Rtf"_s << asRtf;
        QTest::newRow("talk.rtf") << u"talk.rtf"_s << asRtf;
        QTest::newRow("talk.rtf.txt") << u"talk.rtf.txt"_s << asText;
        QTest::newRow("talk") << u"talk"_s << asText;
        QTest::newRow("talk.doc") << u"talk.doc"_s << asText;
    }

    void readScript_choosesReaderByExtension()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        writeFile(path, kRtfDocument);
        QCOMPARE(readScript(path), lines);
    }

    void readScript_plainTextUnderRtfName_fallsBackCut()
    {
        QTemporaryDir dir;
        const QString longLine(5000, u'é');
        const QByteArray text = "\xEF\xBB\xBF"
                                "first\r\n" +
                                longLine.toUtf8() + "\r\nlast\r\n";
        writeFile(dir.filePath(u"notes.rtf"_s), text);
        writeFile(dir.filePath(u"notes.txt"_s), text);
        QCOMPARE(readScript(dir.filePath(u"notes.rtf"_s)),
                 (QStringList{u"first"_s, longLine.left(kMaxRichTextLineLength), u"last"_s}));
        QCOMPARE(readScript(dir.filePath(u"notes.txt"_s)),
                 (QStringList{u"first"_s, longLine, u"last"_s}));
    }

    void readScript_binaryFileReadsAs8BitText()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"talk.doc"_s);
        writeFile(path, QByteArray("\xD0\xCF\x11\xE0\r\x01\x02\n\xFF\0rest", 14));
        QCOMPARE(readScript(path), (QStringList{u"ÐÏ\u0011à"_s, u"\u0001\u0002"_s, u"ÿ"_s}));
    }

    void readScript_emptyFile_givesNoLines_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << u"empty.txt"_s;
        QTest::newRow("rich") << u"empty.rtf"_s;
    }

    void readScript_emptyFile_givesNoLines()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        writeFile(dir.filePath(name), QByteArray());
        QCOMPARE(readScript(dir.filePath(name)), QStringList());
    }

    void readScript_readsAgainEachTime()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"talk.txt"_s);
        writeFile(path, "one");
        QCOMPARE(readScript(path), QStringList{u"one"_s});
        writeFile(path, "two");
        QCOMPARE(readScript(path), QStringList{u"two"_s});
    }

    // Each case also asks checkScriptOpens, which must refuse it alike, except where
    // only reading shows the refusal (`checked` then holds what the check says).
    void readScript_failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("checked");
        const QString tooLarge =
            u"The file is too large to show (17.0 MB; the limit is 16.0 MB)."_s;
        const QString gigabyte =
            u"The file is too large to show (1024.0 MB; the limit is %1 MB)."_s;
        const QString same;
        const QString accepted = u"(no error)"_s;
        for (const QString &extension : {u".txt"_s, u".rtf"_s}) {
            const bool rich = extension == u".rtf"_s;
            const QByteArray suffix = extension.toLatin1();
            QTest::addRow("missing%s", suffix.constData())
                << u"missing"_s << u"gone"_s + extension << u"No such file or directory"_s << same;
            QTest::addRow("directory%s", suffix.constData())
                << u"directory"_s << u"folder"_s + extension << u"Is a directory"_s << same;
            QTest::addRow("fifo%s", suffix.constData())
                << u"fifo"_s << u"pipe"_s + extension << u"Not a regular file"_s << same;
            // 17 MB of zero bytes are no RTF, so the plain text cap holds them.
            QTest::addRow("too large%s", suffix.constData())
                << u"too large"_s << u"big"_s + extension << tooLarge << (rich ? accepted : same);
            QTest::addRow("1 GB%s", suffix.constData())
                << u"1 GB"_s << u"huge"_s + extension << gigabyte.arg(rich ? u"512.0"_s : u"16.0"_s)
                << same;
            QTest::addRow("percent in the path%s", suffix.constData())
                << u"missing"_s << u"100%1 %2"_s + extension << u"No such file or directory"_s
                << same;
            QTest::addRow("unreadable%s", suffix.constData())
                << u"unreadable"_s << u"secret"_s + extension << u"Permission denied"_s << same;
            QTest::addRow("folder not enterable%s", suffix.constData())
                << u"closed folder"_s << u"closed/talk"_s + extension << u"Permission denied"_s
                << same;
        }
        QTest::newRow("rtf name, 17 MB of plain text")
            << u"plain text"_s << u"notes.rtf"_s << tooLarge << accepted;
    }

    void readScript_failures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QFETCH(QString, checked);
        const auto dir = makeSharedTemporaryDir();
        QVERIFY(dir->isValid());
        const QString path = dir->filePath(name);
        const QString closed = dir->filePath(u"closed"_s);
        if (kind == u"directory"_s) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == u"fifo"_s) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        } else if (kind == u"too large"_s) {
            makeSparseFile(path, 17 * 1024 * 1024);
        } else if (kind == u"1 GB"_s) {
            makeSparseFile(path, 1024LL * 1024 * 1024);
        } else if (kind == u"plain text"_s) {
            writeFile(path, plainLines(1, 17 * 1024 * 1024));
        } else if (kind == u"unreadable"_s) {
            writeFile(path, kRtfDocument);
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        } else if (kind == u"closed folder"_s) {
            QVERIFY(QDir().mkdir(closed));
            writeFile(path, kRtfDocument);
            QVERIFY(QFile::setPermissions(closed, QFileDevice::ReadOwner));
        }
        // Permissions bind only an unprivileged user: every case runs as one.
        const ChildOutcome outcome = runInChild(ChildUser::Unprivileged, [&] {
            return (failureOf(path) + u'\n' + openCheckFailure(path)).toUtf8();
        });
        QFile::setPermissions(closed, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QVERIFY_CHILD(outcome);
        const QStringList messages = QString::fromUtf8(outcome.result).split(u'\n');
        QCOMPARE(messages.value(0), cannotOpen(path, reason));
        QCOMPARE(messages.value(1), checked.isNull() ? cannotOpen(path, reason) : checked);
    }

    void checkScriptOpens_acceptsReadableScripts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::newRow("empty text") << u"empty.txt"_s << qint64(0);
        QTest::newRow("16 MB text") << u"limit.txt"_s << kMaxScriptBytes;
        QTest::newRow("512 MB rtf") << u"limit.rtf"_s << kMaxRichTextBytes;
        QTest::newRow("no extension") << u"talk"_s << qint64(100);
    }

    void checkScriptOpens_acceptsReadableScripts()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        makeSparseFile(path, size);
        QCOMPARE(openCheckFailure(path), u"(no error)"_s);
    }

    void readScript_sizeLimitIsInclusive()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"limit.txt"_s);
        // A file of zero bytes reads as empty text: the first NUL ends it.
        makeSparseFile(path, kMaxScriptBytes);
        QCOMPARE(readScript(path), QStringList());
        makeSparseFile(path, kMaxScriptBytes + 1);
        QVERIFY(failureOf(path).startsWith(cannotOpen(path, u"The file is too large"_s)));
    }

    // The reader stops at the document's closing brace, so the zero bytes after it cost nothing.
    void readScript_rtfSizeLimitIsInclusive()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"limit.rtf"_s);
        writeFile(path, "{\\rtf1 only line}");
        QVERIFY(QFile::resize(path, kMaxRichTextBytes));
        QCOMPARE(readScript(path), QStringList{u"only line"_s});
        QVERIFY(QFile::resize(path, kMaxRichTextBytes + 1));
        QCOMPARE(failureOf(path),
                 cannotOpen(path, u"The file is too large to show (512.0 MB; the limit is 512.0 "
                                  "MB)."_s));
    }

    void readScript_rtfOverThePlainCap_readsItsText()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"pictures.rtf"_s);
        writeRtfWithPicture(path, 40 * 1024 * 1024);
        QVERIFY(QFileInfo(path).size() > 2 * kMaxScriptBytes);
        QCOMPARE(readScript(path), QStringList{u"beforeafter"_s});
    }

    void readScript_limits_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("lines");
        QTest::addColumn<QString>("reason");
        const QString tooLong =
            u"The script is too long to show (100,001 lines; the limit is 100,000)."_s;
        const QString tooBig =
            u"The script is too long to show (8,000,001 characters; the limit is 8,000,000)."_s;
        // 8,000,000 characters: 2,000 lines of 4,000.
        QTest::newRow("text, 100,000 lines")
            << u"a.txt"_s << plainLines(100000, 1) << qsizetype(100000) << QString();
        QTest::newRow("text, 100,001 lines")
            << u"a.txt"_s << plainLines(100001, 1) << qsizetype(0) << tooLong;
        QTest::newRow("text, 100,001 empty lines")
            << u"a.txt"_s << plainLines(100001, 0) << qsizetype(0) << tooLong;
        QTest::newRow("text, 8,000,000 characters")
            << u"a.txt"_s << plainLines(2000, 4000) << qsizetype(2000) << QString();
        QTest::newRow("text, 8,000,001 characters")
            << u"a.txt"_s << plainLines(2000, 4000) + "x" << qsizetype(0) << tooBig;
        QTest::newRow("rtf, 100,000 lines")
            << u"a.rtf"_s << rtfParagraphs(100000, 1) << qsizetype(100000) << QString();
        QTest::newRow("rtf, 100,001 lines")
            << u"a.rtf"_s << rtfParagraphs(100001, 1) << qsizetype(0) << tooLong;
        QTest::newRow("rtf, 8,000,000 characters")
            << u"a.rtf"_s << rtfParagraphs(2000, 4000) << qsizetype(2000) << QString();
        QTest::newRow("rtf, 8,000,001 characters")
            << u"a.rtf"_s << rtfParagraphs(2000, 4000).chopped(1) + "x}" << qsizetype(0) << tooBig;
        QTest::newRow("rtf name, plain text of 100,001 lines")
            << u"a.rtf"_s << plainLines(100001, 1) << qsizetype(0) << tooLong;
    }

    void readScript_limits()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(qsizetype, lines);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        if (reason.isEmpty()) {
            const QStringList script = readScript(path);
            QCOMPARE(script.size(), lines);
            QCOMPARE(script.constLast(), QString(script.constFirst().size(), u'x'));
        } else {
            QCOMPARE(failureOf(path), cannotOpen(path, reason));
        }
    }

    void readFileBytes_readsWholeFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"data.bin"_s);
        QByteArray bytes;
        for (int i = 0; i < 300000; ++i)
            bytes.append(char(i * 7));
        writeFile(path, bytes);
        QCOMPARE(readFileBytes(path, bytes.size()), bytes);
    }
};

QTEST_APPLESS_MAIN(ScriptReaderTest)
#include "tst_scriptreader.moc"
