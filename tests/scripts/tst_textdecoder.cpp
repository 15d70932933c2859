#include "textdecoder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray readData(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(path));
    return file.readAll();
}

QByteArray bytes(std::initializer_list<unsigned char> values)
{
    QByteArray result;
    for (const unsigned char value : values)
        result.append(char(value));
    return result;
}

} // namespace

class TextDecoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeText_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("utf-16 le mark")
            << bytes({0xFF, 0xFE, 'A', 0, 0xE9, 0, 0x16, 0x04}) << u"AéЖ"_s;
        QTest::newRow("utf-16 be mark")
            << bytes({0xFE, 0xFF, 0, 'A', 0, 0xE9, 0x04, 0x16}) << u"AéЖ"_s;
        QTest::newRow("utf-16 le pair") << bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}) << u"😀"_s;
        QTest::newRow("utf-16 be pair") << bytes({0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00}) << u"😀"_s;
        QTest::newRow("utf-16 lone high surrogate")
            << bytes({0xFF, 0xFE, 0x3D, 0xD8, 'A', 0}) << u"\uFFFDA"_s;
        QTest::newRow("utf-16 lone low surrogate")
            << bytes({0xFF, 0xFE, 'A', 0, 0x00, 0xDE}) << u"A\uFFFD"_s;
        QTest::newRow("utf-16 le odd length") << bytes({0xFF, 0xFE, 'A', 0, 'B'}) << u"A\uFFFD"_s;
        QTest::newRow("utf-16 be odd length") << bytes({0xFE, 0xFF, 0, 'A', 0}) << u"A\uFFFD"_s;
        QTest::newRow("utf-16 mark only") << bytes({0xFF, 0xFE}) << QString();
        QTest::newRow("utf-16 NUL ends the text")
            << bytes({0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}) << u"A"_s;
        QTest::newRow("FF FE 00 00 is empty") << bytes({0xFF, 0xFE, 0, 0, 'A', 0}) << QString();
        QTest::newRow("utf-8 mark dropped") << QByteArray("\xEF\xBB\xBF"
                                                          "caf\xC3\xA9")
                                            << u"café"_s;
        QTest::newRow("utf-8 second mark is text")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << u"\uFEFFx"_s;
        QTest::newRow("utf-8 mark, invalid byte replaced") << QByteArray("\xEF\xBB\xBF"
                                                                         "a\xFF"
                                                                         "b")
                                                           << u"a\uFFFDb"_s;
        QTest::newRow("utf-8 without mark")
            << QByteArray("\xD0\x96 \xE2\x82\xAC \xF0\x9F\x98\x80") << u"Ж € 😀"_s;
        QTest::newRow("1252 e9") << QByteArray("caf\xE9") << u"café"_s;
        QTest::newRow("1252 80") << QByteArray("\x80") << u"€"_s;
        QTest::newRow("1252 quotes and dashes")
            << QByteArray("\x93q\x94 \x91s\x92 \x96\x97\x85\x9F") << u"“q” ‘s’ –—…Ÿ"_s;
        QTest::newRow("1252 undefined bytes")
            << QByteArray("\x81\x8D\x8F\x90\x9D") << u"\u0081\u008D\u008F\u0090\u009D"_s;
        QTest::newRow("1252 lone FE") << QByteArray("\xFE") << u"þ"_s;
        QTest::newRow("one bad byte makes all of it 1252")
            << QByteArray("\xC3\xA9 \xE9") << u"Ã© é"_s;
        QTest::newRow("truncated utf-8 sequence is 1252") << QByteArray("ab\xE2\x82") << u"abâ‚"_s;
        QTest::newRow("encoded surrogate is 1252") << QByteArray("\xED\xA0\x80") << u"í\u00A0€"_s;
        QTest::newRow("overlong NUL is 1252") << QByteArray("a\xC0\x80") << u"aÀ€"_s;
        QTest::newRow("8-bit NUL ends the text") << QByteArray("ab\0cd", 5) << u"ab"_s;
        QTest::newRow("utf-16 without mark stops at first zero")
            << bytes({'H', 0, 'i', 0}) << u"H"_s;
        QTest::newRow("bytes after the NUL do not choose the encoding")
            << QByteArray("caf\xC3\xA9\0\xFF", 7) << u"café"_s;
    }

    void decodeText()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, text);
        QCOMPARE(::decodeText(input), text);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("a CR LF b CR LF") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("a CR LF CR LF") << u"a\r\n\r\n"_s << QStringList{u"a"_s, QString()};
        QTest::newRow("a LF b CR c") << u"a\nb\rc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("no final break") << u"a\nb"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("only a break") << u"\r\n"_s << QStringList{QString()};
        QTest::newRow("CR CR is two breaks")
            << u"a\r\rb"_s << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("LF CR is two breaks")
            << u"a\n\rb"_s << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("leading breaks") << u"\n\na"_s << QStringList{QString(), QString(), u"a"_s};
        QTest::newRow("other controls stay")
            << u"a\tb\fc\u2028d"_s << QStringList{u"a\tb\fc\u2028d"_s};
    }

    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(::splitLines(text), lines);
    }

    void decodeLines_textFiles_data()
    {
        QTest::addColumn<QString>("name");
        const QDir dir(QStringLiteral(TAVRIX_TEST_DATA "/text"));
        const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files);
        int count = 0;
        for (const QString &file : files) {
            if (file.endsWith(QLatin1String(".expected.txt")))
                continue;
            QTest::newRow(qPrintable(file)) << file.chopped(4);
            ++count;
        }
        QCOMPARE(count, 10);
    }

    void decodeLines_textFiles()
    {
        QFETCH(QString, name);
        const QString base = QStringLiteral(TAVRIX_TEST_DATA "/text/") + name;
        QString expected = QString::fromUtf8(readData(base + QStringLiteral(".expected.txt")));
        expected.chop(1); // every expected line ends with LF, the last one too
        QCOMPARE(decodeLines(readData(base + QStringLiteral(".txt"))), expected.split(u'\n'));
    }

    void encodeText_isUtf8WithoutMark()
    {
        const QString text = u"/home/zoë/Сценарий 1.txt\r\n😀"_s;
        const QByteArray encoded = ::encodeText(text);
        QCOMPARE(encoded, QByteArray("/home/zo\xC3\xAB/\xD0\xA1\xD1\x86\xD0\xB5\xD0\xBD\xD0\xB0"
                                     "\xD1\x80\xD0\xB8\xD0\xB9 1.txt\r\n\xF0\x9F\x98\x80"));
        QCOMPARE(::decodeText(encoded), text);
    }

    void codePages_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << 1251 << QByteArray("Az 09") << u"Az 09"_s;
        QTest::newRow("874 thai") << 874 << QByteArray("\xA1\xD2\xE9") << u"\u0E01\u0E32\u0E49"_s;
        QTest::newRow("1250") << 1250 << QByteArray("\xB9\x8A") << u"ąŠ"_s;
        QTest::newRow("1251") << 1251 << QByteArray("\xC0\xA8\x88") << u"АЁ€"_s;
        QTest::newRow("1252") << 1252 << QByteArray("\x9C\x80\xE9") << u"œ€é"_s;
        QTest::newRow("1252 undefined bytes")
            << 1252 << QByteArray("\x81\x8D\x8F\x90\x9D") << u"\u0081\u008D\u008F\u0090\u009D"_s;
        QTest::newRow("1253") << 1253 << QByteArray("\xE1\xAA\x81") << u"α\uFFFD\u0081"_s;
        QTest::newRow("1254") << 1254
                              << QByteArray("Te\xFE"
                                            "ekk\xFCrler \xD0\xDD\xDE\xF0\xFD")
                              << u"Teşekkürler ĞİŞğı"_s;
        QTest::newRow("1255, points not composed")
            << 1255 << QByteArray("\xF9\xEC\xE5\xED \xE1\xCC") << u"שלום \u05D1\u05BC"_s;
        QTest::newRow("1256") << 1256 << QByteArray("\xC7\xE1") << u"ال"_s;
        QTest::newRow("1257") << 1257 << QByteArray("\xE0\xD0") << u"ąŠ"_s;
        QTest::newRow("1258, tone marks not composed")
            << 1258 << QByteArray("a\xCC\xEA") << u"a\u0300ê"_s;
        QTest::newRow("932") << 932 << QByteArray("\x82\xB1\x82\xF1\x95\x5C\xB1 x")
                             << u"こん表ｱ x"_s;
        QTest::newRow("932 lead byte at the end") << 932 << QByteArray("a\x82") << u"a\uFFFD"_s;
        QTest::newRow("932 lead byte with a bad trail")
            << 932 << QByteArray("\x82\x20\x82\xB1") << u"\uFFFD こ"_s;
        QTest::newRow("936") << 936 << QByteArray("\xC4\xE3\xBA\xC3") << u"你好"_s;
        QTest::newRow("949") << 949 << QByteArray("\xBE\xC8\xB3\xE7") << u"안녕"_s;
        QTest::newRow("950") << 950 << QByteArray("\xA7\x41\xA6\x6E") << u"你好"_s;
        QTest::newRow("unknown page reads 1252") << 437 << QByteArray("\xE9\x80") << u"é€"_s;
        QTest::newRow("empty") << 932 << QByteArray() << QString();
    }

    void codePages()
    {
        QFETCH(int, codePage);
        QFETCH(QByteArray, input);
        QFETCH(QString, text);
        QCOMPARE(decodeCodePage(codePage, input), text);
        const CodePageDecoder decoder(codePage);
        QString appended = u"kept"_s;
        decoder.decode(input, appended);
        QCOMPARE(appended, u"kept"_s + text);
        if (!decoder.isDoubleByte()) {
            QString bytewise;
            for (const char byte : input)
                bytewise.append(QChar(decoder.charOf(uchar(byte))));
            QCOMPARE(bytewise, text);
        }
    }

    void codePages_kindsAndLeadBytes_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("used");
        QTest::addColumn<bool>("doubleByte");
        QTest::addColumn<QByteArray>("leadBytes");
        QTest::newRow("874") << 874 << 874 << false << QByteArray();
        QTest::newRow("1255") << 1255 << 1255 << false << QByteArray();
        QTest::newRow("932") << 932 << 932 << true << QByteArray("\x81\x9F\xE0\xFC");
        QTest::newRow("936") << 936 << 936 << true << QByteArray("\x81\xB0\xFE");
        QTest::newRow("949") << 949 << 949 << true << QByteArray("\x81\xB0\xFD");
        QTest::newRow("950") << 950 << 950 << true << QByteArray("\xA1\xF9");
        QTest::newRow("437") << 437 << 1252 << false << QByteArray();
        QTest::newRow("0") << 0 << 1252 << false << QByteArray();
    }

    void codePages_kindsAndLeadBytes()
    {
        QFETCH(int, codePage);
        QFETCH(int, used);
        QFETCH(bool, doubleByte);
        QFETCH(QByteArray, leadBytes);
        const CodePageDecoder decoder(codePage);
        QCOMPARE(decoder.codePage(), used);
        QCOMPARE(CodePageDecoder::effectiveCodePage(codePage), used);
        QCOMPARE(decoder.isDoubleByte(), doubleByte);
        for (int byte = 0; byte < 0x80; ++byte)
            QVERIFY(!decoder.isLeadByte(uchar(byte)));
        for (const char lead : leadBytes)
            QVERIFY2(decoder.isLeadByte(uchar(lead)), qPrintable(QString::number(uchar(lead), 16)));
        if (codePage == 932) {
            // Half-width katakana stand alone between the two lead ranges.
            QVERIFY(!decoder.isLeadByte(0xA0));
            QVERIFY(!decoder.isLeadByte(0xB1));
            QVERIFY(!decoder.isLeadByte(0xDF));
        }
    }

    void measureLines_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<qsizetype>("lines");
        QTest::addColumn<qsizetype>("longest");
        QTest::addColumn<qsizetype>("index");
        QTest::newRow("empty") << QByteArray() << qsizetype(0) << qsizetype(0) << qsizetype(-1);
        QTest::newRow("only a break")
            << QByteArray("\r\n") << qsizetype(1) << qsizetype(0) << qsizetype(0);
        QTest::newRow("CR LF lines")
            << QByteArray("a\r\nbcd\r\n") << qsizetype(2) << qsizetype(3) << qsizetype(1);
        QTest::newRow("first longest wins")
            << QByteArray("ab\ncd\nef") << qsizetype(3) << qsizetype(2) << qsizetype(0);
        QTest::newRow("lone CR and LF")
            << QByteArray("abc\rdef\nghij") << qsizetype(3) << qsizetype(4) << qsizetype(2);
        QTest::newRow("CR CR and LF CR")
            << QByteArray("a\r\rb\n\rc") << qsizetype(5) << qsizetype(1) << qsizetype(0);
        QTest::newRow("NUL ends the text")
            << QByteArray("ab\0\ncd\n", 7) << qsizetype(1) << qsizetype(2) << qsizetype(0);
        QTest::newRow("utf-8 mark, units are bytes")
            << QByteArray("\xEF\xBB\xBFx\n\xC3\xA9\xC3\xA9") << qsizetype(2) << qsizetype(4)
            << qsizetype(1);
        QTest::newRow("windows-1252")
            << QByteArray("caf\xE9\r\n") << qsizetype(1) << qsizetype(4) << qsizetype(0);
        QTest::newRow("utf-16 le, units are 16 bits")
            << bytes({0xFF, 0xFE, 'a', 0, '\n', 0, 0x16, 0x04, 'c', 0, '\r', 0}) << qsizetype(2)
            << qsizetype(2) << qsizetype(1);
        QTest::newRow("utf-16 be CR LF") << bytes({0xFE, 0xFF, 0, 'a', 0, '\r', 0, '\n', 0, 'b'})
                                         << qsizetype(2) << qsizetype(1) << qsizetype(0);
        QTest::newRow("utf-16 odd byte is a character")
            << bytes({0xFF, 0xFE, 'A', 0, '\n', 0, 'B'}) << qsizetype(2) << qsizetype(1)
            << qsizetype(0);
        QTest::newRow("utf-16 NUL ends, odd byte after it does not count")
            << bytes({0xFF, 0xFE, 'A', 0, '\n', 0, 0, 0, 'B'}) << qsizetype(1) << qsizetype(1)
            << qsizetype(0);
        QTest::newRow("8-bit zero after UTF-16 text without a mark")
            << bytes({'H', 0, 'i', 0}) << qsizetype(1) << qsizetype(1) << qsizetype(0);
    }

    void measureLines()
    {
        QFETCH(QByteArray, input);
        QFETCH(qsizetype, lines);
        QFETCH(qsizetype, longest);
        QFETCH(qsizetype, index);
        const LineShape shape = ::measureLines(input);
        QCOMPARE(shape.lines, lines);
        QCOMPARE(shape.longestLine, longest);
        QCOMPARE(shape.longestLineIndex, index);
        QCOMPARE(decodeLines(input).size(), lines);
    }

    void measureLines_textFiles()
    {
        const QDir dir(QStringLiteral(TAVRIX_TEST_DATA "/text"));
        for (const QString &file : dir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
            const QByteArray input = readData(dir.filePath(file));
            const QStringList lines = decodeLines(input);
            const LineShape shape = ::measureLines(input);
            QCOMPARE(shape.lines, lines.size());
            for (const QString &line : lines)
                QVERIFY2(line.size() <= shape.longestLine, qPrintable(file));
        }
    }
};

QTEST_APPLESS_MAIN(TextDecoderTest)
#include "tst_textdecoder.moc"
