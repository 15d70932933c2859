#include "rtftext.h"
#include "scriptreader.h"
#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

QString failureOf(const QString &path)
{
    try {
        readScript(path);
    } catch (const TavrixError &error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
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

    void readScript_failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        const QString tooLarge =
            u"The file is too large to show (17.0 MB; the limit is 16.0 MB)."_s;
        for (const QString &extension : {u".txt"_s, u".rtf"_s}) {
            const QByteArray suffix = extension.toLatin1();
            QTest::addRow("missing%s", suffix.constData())
                << u"missing"_s << u"gone"_s + extension << u"No such file or directory"_s;
            QTest::addRow("directory%s", suffix.constData())
                << u"directory"_s << u"folder"_s + extension << u"Is a directory"_s;
            QTest::addRow("fifo%s", suffix.constData())
                << u"fifo"_s << u"pipe"_s + extension << u"Not a regular file"_s;
            QTest::addRow("too large%s", suffix.constData())
                << u"too large"_s << u"big"_s + extension << tooLarge;
            QTest::addRow("1 GB%s", suffix.constData())
                << u"1 GB"_s << u"huge"_s + extension
                << u"The file is too large to show (1024.0 MB; the limit is 16.0 MB)."_s;
            QTest::addRow("percent in the path%s", suffix.constData())
                << u"missing"_s << u"100%1 %2"_s + extension << u"No such file or directory"_s;
            QTest::addRow("unreadable%s", suffix.constData())
                << u"unreadable"_s << u"secret"_s + extension << u"Permission denied"_s;
        }
    }

    void readScript_failures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (kind == u"directory"_s) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == u"fifo"_s) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == u"too large"_s) {
            makeSparseFile(path, 17 * 1024 * 1024);
        } else if (kind == u"1 GB"_s) {
            makeSparseFile(path, 1024LL * 1024 * 1024);
        } else if (kind == u"unreadable"_s) {
            if (::geteuid() == 0)
                QSKIP("Running as root: file permissions do not stop root from reading.");
            writeFile(path, "text");
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }
        QCOMPARE(failureOf(path), cannotOpen(path, reason));
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
