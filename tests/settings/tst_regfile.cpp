#include "regfile.h"

#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTest>

namespace {

const QByteArray head = "Windows Registry Editor Version 5.00\r\n\r\n";
const QString key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1");

QByteArray inKey(const QByteArray &lines)
{
    return head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n" + lines + "\r\n";
}

} // namespace

class TestRegFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_readsValue_data();
    void parse_readsValue();
    void parse_dropsOnlyBadLines_data();
    void parse_dropsOnlyBadLines();
    void parse_acceptsEncodingsAndLineEnds_data();
    void parse_acceptsEncodingsAndLineEnds();
    void parse_oversizeInputIsDamagedAndEmpty();
    void parse_binaryInputKeepsGoing();
    void parse_laterDuplicateWins();
    void lookup_ignoresCaseAndEmptySegments();
    void hasKey_seesKeysBelow();
    void setValue_keepsCaseOfFirstCreation();
    void serialise_newValuesLayout();
    void serialise_keepsUntouchedLinesVerbatim();
    void roundTrip_oddNamesAndTexts_data();
    void roundTrip_oddNamesAndTexts();
    void setValue_refusesLineFeeds();
};

void TestRegFile::parse_readsValue_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<QString>("text");

    const int dword = int(RegFile::Type::Dword);
    const int string = int(RegFile::Type::String);
    const int other = int(RegFile::Type::Other);
    QTest::newRow("dword") << inKey("\"A\"=dword:0000000a") << "A" << dword << 10u << QString();
    QTest::newRow("dword upper case")
        << inKey("\"A\"=DWORD:FFFFFFE0") << "A" << dword << 0xFFFFFFE0u << QString();
    QTest::newRow("dword short") << inKey("\"A\"=dword:1f") << "A" << dword << 31u << QString();
    QTest::newRow("blanks around =")
        << inKey("  \"A\" = dword:00000002  ") << "A" << dword << 2u << QString();
    QTest::newRow("string") << inKey("\"Name\"=\"Arial\"") << "Name" << string << 0u << "Arial";
    QTest::newRow("escapes") << inKey(R"("P"="C:\\dir \"x\"")") << "P" << string << 0u
                             << R"(C:\dir "x")";
    QTest::newRow("lone backslash stays")
        << inKey(R"("P"="a\b")") << "P" << string << 0u << R"(a\b)";
    QTest::newRow("empty string") << inKey("\"E\"=\"\"") << "E" << string << 0u << "";
    QTest::newRow("name with brackets") << inKey("\"[x]\"=\"1\"") << "[x]" << string << 0u << "1";
    QTest::newRow("name with equals") << inKey("\"a=b\"=\"c=d\"") << "a=b" << string << 0u << "c=d";
    QTest::newRow("name with quote and backslash")
        << inKey(R"("q\"\\n"=dword:00000001)") << R"(q"\n)" << dword << 1u << QString();
    QTest::newRow("default value") << inKey("@=\"d\"") << "" << string << 0u << "d";
    QTest::newRow("quoted at sign is a name") << inKey("\"@\"=\"n\"") << "@" << string << 0u << "n";
    QTest::newRow("hex") << inKey("\"H\"=hex:01,02,ff") << "H" << other << 0u << QString();
    QTest::newRow("typed hex over lines")
        << inKey("\"H\"=hex(2):25,00,55,00,\\\r\n  53,00,00,00") << "H" << other << 0u << QString();
    QTest::newRow("deletion mark") << inKey("\"D\"=-") << "D" << other << 0u << QString();
}

void TestRegFile::parse_readsValue()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(quint32, number);
    QFETCH(QString, text);

    const RegFile reg = RegFile::parse(file);
    QVERIFY(!reg.damaged());
    QCOMPARE(int(reg.type(key, name)), type);
    QCOMPARE(reg.dword(key, name).has_value(), type == int(RegFile::Type::Dword));
    QCOMPARE(reg.string(key, name).has_value(), type == int(RegFile::Type::String));
    if (type == int(RegFile::Type::Dword))
        QCOMPARE(*reg.dword(key, name), number);
    if (type == int(RegFile::Type::String))
        QCOMPARE(*reg.string(key, name), text);
}

void TestRegFile::parse_dropsOnlyBadLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("lostName");

    const QByteArray good = "\"good\"=dword:00000001\r\n";
    QTest::newRow("nine hex digits") << inKey(good + "\"bad\"=dword:100000000") << "bad";
    QTest::newRow("dword not hex") << inKey(good + "\"bad\"=dword:12g") << "bad";
    QTest::newRow("dword empty") << inKey(good + "\"bad\"=dword:") << "bad";
    QTest::newRow("unterminated string") << inKey(good + "\"bad\"=\"abc") << "bad";
    QTest::newRow("escaped closing quote") << inKey(good + R"("bad"="abc\")") << "bad";
    QTest::newRow("text after string") << inKey(good + "\"bad\"=\"abc\" x") << "bad";
    QTest::newRow("unquoted name") << inKey(good + "bad=dword:00000001") << "bad";
    QTest::newRow("no equals") << inKey(good + "\"bad\" dword:00000001") << "bad";
    QTest::newRow("unknown type") << inKey(good + "\"bad\"=qword:1") << "bad";
    QTest::newRow("hex not hex") << inKey(good + "\"bad\"=hex:zz") << "bad";
    QTest::newRow("hex cut short at the end") << inKey(good + "\"bad\"=hex:01,\\") << "bad";
    QTest::newRow("hex cut short by a key")
        << inKey(good + "\"bad\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\x]") << "bad";
    QTest::newRow("value before any key")
        << QByteArray(head + "\"bad\"=dword:00000001\r\n" +
                      "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n" + good)
        << "bad";
    QTest::newRow("value under an empty key")
        << QByteArray(inKey(good) + "[\\\\]\r\n\"bad\"=dword:00000001\r\n") << "bad";
    QTest::newRow("missing header")
        << QByteArray("[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n" + good) << "none";
    QTest::newRow("garbage line") << inKey(good + "%%%\r\n\"next\"=\"kept\"") << "garbage";
    QTest::newRow("invalid UTF-8") << inKey(good + "\"bad\"=\"\xC3\x28\"") << "none";
}

void TestRegFile::parse_dropsOnlyBadLines()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, lostName);

    const RegFile reg = RegFile::parse(file);
    QVERIFY(reg.damaged());
    QCOMPARE(reg.dword(key, u"good"), std::optional<quint32>(1));
    QCOMPARE(reg.type(key, lostName), RegFile::Type::Missing);
    if (lostName == u"garbage")
        QCOMPARE(reg.string(key, u"next"), std::optional<QString>(QStringLiteral("kept")));
    // What is rewritten parses cleanly.
    QVERIFY(!RegFile::parse(reg.serialise()).damaged());
}

void TestRegFile::parse_acceptsEncodingsAndLineEnds_data()
{
    QTest::addColumn<QByteArray>("file");

    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\n\n"
                                        "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\n"
                                        "\"Name\"=\"Ünïcødé Ж\"\n"
                                        "\"Size\"=dword:00000018\n");
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    const auto encode = [](QStringConverter::Encoding encoding, const QString &s) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        return QByteArray(encoder(s));
    };
    QTest::newRow("UTF-8, LF") << text.toUtf8();
    QTest::newRow("UTF-8, CR LF") << crlf.toUtf8();
    QTest::newRow("UTF-8 with BOM") << encode(QStringConverter::Utf8, crlf);
    QTest::newRow("UTF-16 LE with BOM, as regedit exports")
        << encode(QStringConverter::Utf16LE, crlf);
    QTest::newRow("UTF-16 BE with BOM") << encode(QStringConverter::Utf16BE, text);
    QTest::newRow("REGEDIT4 header")
        << QString(crlf)
               .replace(QStringLiteral("Windows Registry Editor Version 5.00"),
                        QStringLiteral("REGEDIT4"))
               .toUtf8();
}

void TestRegFile::parse_acceptsEncodingsAndLineEnds()
{
    QFETCH(QByteArray, file);

    const RegFile reg = RegFile::parse(file);
    QVERIFY(!reg.damaged());
    QCOMPARE(reg.string(key, u"Name"), std::optional<QString>(QStringLiteral("Ünïcødé Ж")));
    QCOMPARE(reg.dword(key, u"Size"), std::optional<quint32>(24));
}

void TestRegFile::parse_oversizeInputIsDamagedAndEmpty()
{
    QByteArray file = inKey("\"A\"=dword:00000001\r\n");
    file += QByteArray(RegFile::MaxFileSize + 1 - file.size(), ' ');
    const RegFile reg = RegFile::parse(file);
    QVERIFY(reg.damaged());
    QVERIFY(reg.keys().isEmpty());

    file.chop(1);
    QVERIFY(!RegFile::parse(file).damaged());
}

void TestRegFile::parse_binaryInputKeepsGoing()
{
    // Random bytes with a valid section in the middle: the section still reads.
    QRandomGenerator random(20240611);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char &c : noise)
        c = char(random.bounded(256));
    const QByteArray file =
        head + noise + "\n[" + key.toUtf8() + "]\r\n\"A\"=dword:00000007\r\n" + noise;
    const RegFile reg = RegFile::parse(file);
    QVERIFY(reg.damaged());
    QCOMPARE(reg.dword(key, u"A"), std::optional<quint32>(7));
}

void TestRegFile::parse_laterDuplicateWins()
{
    const QByteArray file = inKey("\"A\"=dword:00000001\r\n\"a\"=dword:00000002\r\n") + "[" +
                            key.toLower().toUtf8() + "]\r\n\"B\"=\"x\"\r\n";
    const RegFile reg = RegFile::parse(file);
    QVERIFY(!reg.damaged());
    QCOMPARE(reg.keys(), QStringList{key});
    QCOMPARE(reg.valueNames(key), (QStringList{QStringLiteral("a"), QStringLiteral("B")}));
    QCOMPARE(reg.dword(key, u"A"), std::optional<quint32>(2));
}

void TestRegFile::lookup_ignoresCaseAndEmptySegments()
{
    const RegFile reg = RegFile::parse(inKey("\"FormVersion\"=dword:00000003"));
    QCOMPARE(reg.dword(u"hkey_current_user\\SOFTWARE\\morvane\\TAVRIX\\form1", u"formversion"),
             std::optional<quint32>(3));
    QCOMPARE(
        reg.dword(u"\\HKEY_CURRENT_USER\\\\Software\\Morvane\\tavrix\\Form1\\", u"FormVersion"),
        std::optional<quint32>(3));
    QCOMPARE(reg.type(key, u"FormVersio"), RegFile::Type::Missing);
}

void TestRegFile::hasKey_seesKeysBelow()
{
    // Hand-written files may leave out the headers of the keys on the way.
    const QByteArray file =
        head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1\\FontDialog1_Font\\Style]\r\n";
    const RegFile reg = RegFile::parse(file);
    QVERIFY(reg.hasKey(u"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\form1\\fontdialog1_font"));
    QVERIFY(reg.hasKey(u"HKEY_CURRENT_USER\\Software"));
    QVERIFY(reg.hasKey(
        u"HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1\\FontDialog1_Font\\Style"));
    QVERIFY(!reg.hasKey(u"HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1\\FontDialog1_Fon"));
    QVERIFY(!reg.hasKey(u"HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form4"));
    QVERIFY(!reg.hasKey(u"\\\\"));
}

void TestRegFile::setValue_keepsCaseOfFirstCreation()
{
    RegFile reg;
    QVERIFY(
        reg.setDword(u"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1", u"FormVersion", 0));
    QVERIFY(
        reg.setDword(u"HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form4", u"FormVersion", 0));
    QVERIFY(
        reg.setDword(u"HKEY_CURRENT_USER\\SOFTWARE\\MORVANE\\TAVRIX\\FORM1", u"FORMVERSION", 5));
    QCOMPARE(reg.keys(),
             (QStringList{QStringLiteral("HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1"),
                          QStringLiteral("HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form4")}));
    QCOMPARE(reg.valueNames(u"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1"),
             QStringList{QStringLiteral("FormVersion")});
    QCOMPARE(reg.dword(u"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\form1", u"formversion"),
             std::optional<quint32>(5));
}

void TestRegFile::serialise_newValuesLayout()
{
    RegFile reg;
    QVERIFY(reg.setDword(key, u"FormVersion", 0));
    QVERIFY(reg.setDword(key, u"Height", quint32(-32)));
    QVERIFY(reg.setString(key, u"NormPos", QStringLiteral("0,0,1920,250")));
    QVERIFY(reg.setString(key, u"", QStringLiteral(R"(a\"b)")));
    QVERIFY(reg.setString(QString(key + QStringLiteral("\\Sub")), u"x", QString()));
    QCOMPARE(reg.serialise(),
             QByteArray("Windows Registry Editor Version 5.00\r\n"
                        "\r\n"
                        "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                        "\"FormVersion\"=dword:00000000\r\n"
                        "\"Height\"=dword:ffffffe0\r\n"
                        "\"NormPos\"=\"0,0,1920,250\"\r\n"
                        "@=\"a\\\\\\\"b\"\r\n"
                        "\r\n"
                        "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1\\Sub]\r\n"
                        "\"x\"=\"\"\r\n"
                        "\r\n"));
}

void TestRegFile::serialise_keepsUntouchedLinesVerbatim()
{
    const QByteArray kept[] = {
        "; exported by hand",
        "[HKEY_LOCAL_MACHINE\\Software\\Other]",
        "\"Bin\"=hex:00,01,\\",
        "  02,03",
        "\"Multi\"=hex(7):41,00,00,00,00,00",
        "  \"Odd\" = dword:A",
        "; inside a key",
        "\"Gone\"=-",
    };
    const QByteArray file = head +
                            "; exported by hand\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
                            "\"Bin\"=hex:00,01,\\\r\n"
                            "  02,03\n"
                            "\"Multi\"=hex(7):41,00,00,00,00,00\r\n"
                            "\r\n"
                            "[" +
                            key.toUtf8() +
                            "]\r\n"
                            "  \"Odd\" = dword:A\r\n"
                            "; inside a key\r\n"
                            "\"Gone\"=-\r\n"
                            "\"Speed\"=dword:00000001\r\n";
    RegFile reg = RegFile::parse(file);
    QVERIFY(!reg.damaged());
    QVERIFY(reg.setDword(key, u"speed", 9));
    const QByteArray out = reg.serialise();
    for (const QByteArray &line : kept)
        QVERIFY2(out.contains(QByteArray(line + "\r\n")), line.constData());
    QVERIFY(out.contains("\"Speed\"=dword:00000009\r\n"));
    QVERIFY(!out.contains("dword:00000001"));
    QCOMPARE(RegFile::parse(out).serialise(), out);
}

void TestRegFile::roundTrip_oddNamesAndTexts_data()
{
    QTest::addColumn<QString>("keyPath");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("brackets") << key + QStringLiteral("\\[sub]]") << "[a]"
                              << "]x[";
    QTest::newRow("quotes") << key << R"("q")"
                            << R"(say "hi")";
    QTest::newRow("backslashes") << key << R"(a\b\\)"
                                 << R"(C:\dir\)";
    QTest::newRow("equals signs") << key << "a=b"
                                  << "=";
    QTest::newRow("at sign and semicolon") << key << "@"
                                           << ";not a comment";
    QTest::newRow("blanks at the ends") << key + QStringLiteral("\\ spaced ") << " n "
                                        << "  ";
    QTest::newRow("dword-looking text") << key << "d"
                                        << "dword:00000001";
    QTest::newRow("carriage return inside") << key << "c\rr"
                                            << "x\r";
    QTest::newRow("non-ASCII") << key + QStringLiteral("\\Ключ") << "名前"
                               << "😀 ü";
}

void TestRegFile::roundTrip_oddNamesAndTexts()
{
    QFETCH(QString, keyPath);
    QFETCH(QString, name);
    QFETCH(QString, text);

    RegFile reg;
    QVERIFY(reg.setString(keyPath, name, text));
    const QString numberName = name + u'#';
    QVERIFY(reg.setDword(keyPath, numberName, 42));
    const RegFile back = RegFile::parse(reg.serialise());
    QVERIFY(!back.damaged());
    QCOMPARE(back.keys(), QStringList{keyPath});
    QCOMPARE(back.string(keyPath, name), std::optional<QString>(text));
    QCOMPARE(back.dword(keyPath, numberName), std::optional<quint32>(42));
}

void TestRegFile::setValue_refusesLineFeeds()
{
    RegFile reg;
    QVERIFY(!reg.setString(key, u"a", QStringLiteral("two\nlines")));
    QVERIFY(!reg.setDword(key, u"a\nb", 1));
    QVERIFY(!reg.setDword(QString(key + QStringLiteral("\\x\ny")), u"a", 1));
    QVERIFY(!reg.setDword(u"\\\\", u"a", 1));
    QVERIFY(reg.keys().isEmpty());
}

QTEST_APPLESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
