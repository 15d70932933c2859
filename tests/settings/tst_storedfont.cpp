#include "registrystore.h"
#include "storedfont.h"
#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FontRecord)

char *toString(const FontRecord &f)
{
    const QString styles = QString(f.Bold ? u'B' : u'-') + (f.Italic ? u'I' : u'-') +
                           (f.Underline ? u'U' : u'-') + (f.StrikeOut ? u'S' : u'-');
    return qstrdup(QStringLiteral("%1 h%2 cs%3 c%4 o%5 p%6 %7")
                       .arg(f.Name)
                       .arg(f.Height)
                       .arg(f.Charset)
                       .arg(f.Color)
                       .arg(f.Orientation)
                       .arg(int(f.pitch))
                       .arg(styles)
                       .toUtf8()
                       .constData());
}

namespace {

const QString root = QStringLiteral("software\\morvane\\tavrix");
const QString fontKey = QStringLiteral("Form1\\FontDialog1_Font");
const QByteArray fontHeader =
    "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1\\FontDialog1_Font]\r\n";
const QByteArray styleHeader =
    "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1\\FontDialog1_Font\\Style]\r\n";

// Italic and struck out, so that a restored style set shows what it cleared.
FontRecord startFont()
{
    FontRecord font;
    font.Italic = true;
    font.StrikeOut = true;
    return font;
}

template <typename Change> FontRecord changed(Change change)
{
    FontRecord font = startFont();
    change(font);
    return font;
}

} // namespace

class TestStoredFont : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void readFont_appliesMembers_data();
    void readFont_appliesMembers();
    void readBoolean_wordsAndNumbers_data();
    void readBoolean_wordsAndNumbers();
    void writeFont_layout();
    void writeThenRead_givesTheFontBack_data();
    void writeThenRead_givesTheFontBack();
    void unreadableSize_isNotSavedBack();

private:
    void store(const QByteArray &sections);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void TestStoredFont::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("user.reg"));
}

void TestStoredFont::store(const QByteArray &sections)
{
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Windows Registry Editor Version 5.00\r\n\r\n" + sections);
}

void TestStoredFont::readFont_appliesMembers_data()
{
    QTest::addColumn<QByteArray>("sections");
    QTest::addColumn<int>("pixelsPerInch");
    QTest::addColumn<FontRecord>("expected");
    QTest::addColumn<bool>("fails");

    const auto row = [](const char *name, const QByteArray &sections, FontRecord expected,
                        bool fails = false, int ppi = 96) {
        QTest::newRow(name) << sections << ppi << expected << fails;
    };
    const QByteArray f = fontHeader;
    row("no values", f, startFont());
    row("charset name", f + "\"Charset\"=\"RUSSIAN_CHARSET\"\r\n",
        changed([](FontRecord &x) { x.Charset = 204; }));
    row("charset name in any case", f + "\"Charset\"=\"symbol_charset\"\r\n",
        changed([](FontRecord &x) { x.Charset = 2; }));
    row("charset second name", f + "\"Charset\"=\"HANGUL_CHARSET\"\r\n",
        changed([](FontRecord &x) { x.Charset = 129; }));
    row("charset number", f + "\"Charset\"=dword:0000004d\r\n",
        changed([](FontRecord &x) { x.Charset = 77; }));
    row("charset decimal text", f + "\"Charset\"=\"161\"\r\n",
        changed([](FontRecord &x) { x.Charset = 161; }));
    row("charset unknown name", f + "\"Charset\"=\"KLINGON_CHARSET\"\r\n", startFont());
    row("colour name", f + "\"Color\"=\"clRed\"\r\n",
        changed([](FontRecord &x) { x.Color = 0x0000FF; }));
    row("colour system name", f + "\"Color\"=\"clBtnFace\"\r\n",
        changed([](FontRecord &x) { x.Color = int(0xFF00000Fu); }));
    row("colour number", f + "\"Color\"=dword:00123456\r\n",
        changed([](FontRecord &x) { x.Color = 0x123456; }));
    row("height", f + "\"Height\"=dword:ffffffd8\r\n",
        changed([](FontRecord &x) { x.Height = -40; }));
    row("size decides over height", f + "\"Height\"=dword:ffffffd8\r\n\"Size\"=dword:0000000c\r\n",
        changed([](FontRecord &x) { x.Height = -16; }));
    row("size at 120 dpi", f + "\"Size\"=dword:00000018\r\n",
        changed([](FontRecord &x) { x.Height = -40; }), false, 120);
    row("height not a number", f + "\"Height\"=\"tall\"\r\n", startFont());
    // The font dialog takes 1 to 512 points; any other stored size shows no readable
    // text, so the designed 24 points stand in for it.
    const auto designed = changed([](FontRecord &x) { x.Height = -32; });
    row("size 100,000", f + "\"Size\"=dword:000186a0\r\n", designed);
    row("size 80000000", f + "\"Size\"=dword:80000000\r\n", designed);
    row("size 7fffffff", f + "\"Size\"=dword:7fffffff\r\n", designed);
    row("size 0", f + "\"Size\"=dword:00000000\r\n", designed);
    row("size -12", f + "\"Size\"=dword:fffffff4\r\n", designed);
    row("size 513", f + "\"Size\"=dword:00000201\r\n", designed);
    row("size 512", f + "\"Size\"=dword:00000200\r\n",
        changed([](FontRecord &x) { x.Height = -683; }));
    row("size 1", f + "\"Size\"=dword:00000001\r\n", changed([](FontRecord &x) { x.Height = -1; }));
    row("size 100,000 as decimal text", f + "\"Size\"=\"100000\"\r\n", designed);
    row("size 0 at 120 dpi", f + "\"Size\"=dword:00000000\r\n",
        changed([](FontRecord &x) { x.Height = -40; }), false, 120);
    row("bad size over a good height",
        f + "\"Height\"=dword:ffffffd8\r\n\"Size\"=dword:00000000\r\n", designed);
    row("good size over a bad height",
        f + "\"Height\"=dword:fffe7960\r\n\"Size\"=dword:0000000c\r\n",
        changed([](FontRecord &x) { x.Height = -16; }));
    row("height alone, 75,000 points", f + "\"Height\"=dword:fffe7960\r\n", designed);
    row("height alone, 80000000", f + "\"Height\"=dword:80000000\r\n", designed);
    row("height alone, zero", f + "\"Height\"=dword:00000000\r\n", designed);
    row("height alone, positive", f + "\"Height\"=dword:00000020\r\n", designed);
    row("height alone, 512 points", f + "\"Height\"=dword:fffffd55\r\n",
        changed([](FontRecord &x) { x.Height = -683; }));
    row("name", f + "\"Name\"=\"Times New Roman\"\r\n",
        changed([](FontRecord &x) { x.Name = QStringLiteral("Times New Roman"); }));
    row("empty name keeps the face", f + "\"Name\"=\"\"\r\n", startFont());
    row("name not a string", f + "\"Name\"=dword:00000001\r\n", startFont());
    row("orientation", f + "\"Orientation\"=dword:00000384\r\n",
        changed([](FontRecord &x) { x.Orientation = 900; }));
    row("pitch name", f + "\"Pitch\"=\"fpFixed\"\r\n",
        changed([](FontRecord &x) { x.pitch = FontRecord::Pitch::Fixed; }));
    row("pitch name in any case", f + "\"Pitch\"=\"FPVARIABLE\"\r\n",
        changed([](FontRecord &x) { x.pitch = FontRecord::Pitch::Variable; }));
    row("pitch number", f + "\"Pitch\"=dword:00000002\r\n",
        changed([](FontRecord &x) { x.pitch = FontRecord::Pitch::Fixed; }));
    row("pitch minus one", f + "\"Pitch\"=dword:ffffffff\r\n", startFont());
    row("pitch three, one past the names", f + "\"Pitch\"=dword:00000003\r\n", startFont());
    row("pitch unknown name", f + "\"Pitch\"=\"fpWobbly\"\r\n", startFont());
    row("style key with only fsBold yes", f + styleHeader + "\"fsBold\"=\"yes\"\r\n",
        changed([](FontRecord &x) {
            x.Bold = true;
            x.Italic = false;
            x.StrikeOut = false;
        }));
    row("style key of words and numbers",
        f + styleHeader +
            "\"fsBold\"=\"Y\"\r\n\"fsItalic\"=\"false\"\r\n\"fsUnderline\"=\"2\"\r\n"
            "\"fsStrikeOut\"=dword:00000001\r\n",
        changed([](FontRecord &x) {
            x.Bold = true;
            x.Italic = false;
            x.Underline = true;
            x.StrikeOut = false;
        }));
    row("style text", f + "\"Style\"=\"[fsBold, fsUnderline]\"\r\n", changed([](FontRecord &x) {
            x.Bold = true;
            x.Italic = false;
            x.Underline = true;
            x.StrikeOut = false;
        }));
    row("empty style text", f + "\"Style\"=\"[]\"\r\n", changed([](FontRecord &x) {
            x.Italic = false;
            x.StrikeOut = false;
        }));
    row("style text with an unknown member keeps what came before",
        f + "\"Name\"=\"Courier New\"\r\n\"Style\"=\"[fsBold,fsBlink]\"\r\n",
        changed([](FontRecord &x) { x.Name = QStringLiteral("Courier New"); }), true);
}

void TestStoredFont::readFont_appliesMembers()
{
    QFETCH(QByteArray, sections);
    QFETCH(int, pixelsPerInch);
    QFETCH(FontRecord, expected);
    QFETCH(bool, fails);

    store(sections);
    const RegistryStore storage(root, m_file);
    FontRecord font = startFont();
    bool failed = false;
    try {
        readStoredFont(storage, fontKey, font, pixelsPerInch);
    } catch (const TavrixError &) {
        failed = true;
    }
    QCOMPARE(failed, fails);
    QCOMPARE(font, expected);
}

void TestStoredFont::readBoolean_wordsAndNumbers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");

    QTest::newRow("TRUE") << QByteArray("\"B\"=\"TRUE\"") << false << true;
    QTest::newRow("true") << QByteArray("\"B\"=\"true\"") << false << true;
    QTest::newRow("Yes") << QByteArray("\"B\"=\"Yes\"") << false << true;
    QTest::newRow("y") << QByteArray("\"B\"=\"y\"") << false << true;
    QTest::newRow("FALSE") << QByteArray("\"B\"=\"FALSE\"") << true << false;
    QTest::newRow("no") << QByteArray("\"B\"=\"no\"") << true << false;
    QTest::newRow("N") << QByteArray("\"B\"=\"N\"") << true << false;
    QTest::newRow("non-zero number text") << QByteArray("\"B\"=\"-3\"") << false << true;
    QTest::newRow("zero text") << QByteArray("\"B\"=\"0\"") << true << false;
    QTest::newRow("other word") << QByteArray("\"B\"=\"maybe\"") << true << false;
    QTest::newRow("padded word") << QByteArray("\"B\"=\" yes\"") << true << false;
    QTest::newRow("dword is no string") << QByteArray("\"B\"=dword:00000001") << true << false;
    QTest::newRow("missing keeps default") << QByteArray("\"C\"=\"TRUE\"") << true << true;
}

void TestStoredFont::readBoolean_wordsAndNumbers()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);

    store("[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n" + line + "\r\n");
    const RegistryStore storage(root, m_file);
    QCOMPARE(readStoredBoolean(storage, QStringLiteral("Form1\\B"), defaultValue), expected);
}

void TestStoredFont::writeFont_layout()
{
    FontRecord font;
    font.Name = QStringLiteral("Liberation Sans");
    font.Charset = 204;
    font.Color = 0x123456; // no name: written as a number
    font.Height = -21;
    font.Orientation = -450;
    font.pitch = FontRecord::Pitch::Fixed;
    font.Bold = true;
    font.StrikeOut = true;
    RegistryStore storage(root, m_file);
    writeStoredFont(storage, fontKey, font, 96);

    QFile file(m_file);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(
        file.readAll(),
        QByteArray(
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\\FontDialog1_Font]\r\n"
            "\"Charset\"=\"RUSSIAN_CHARSET\"\r\n"
            "\"Color\"=dword:00123456\r\n"
            "\"Height\"=dword:ffffffeb\r\n"
            "\"Name\"=\"Liberation Sans\"\r\n"
            "\"Orientation\"=dword:fffffe3e\r\n"
            "\"Pitch\"=\"fpFixed\"\r\n"
            "\"Size\"=dword:00000010\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\\FontDialog1_Font\\Style]\r\n"
            "\"fsBold\"=\"TRUE\"\r\n"
            "\"fsItalic\"=\"FALSE\"\r\n"
            "\"fsUnderline\"=\"FALSE\"\r\n"
            "\"fsStrikeOut\"=\"TRUE\"\r\n"
            "\r\n"));
}

void TestStoredFont::writeThenRead_givesTheFontBack_data()
{
    QTest::addColumn<FontRecord>("font");
    QTest::addColumn<int>("pixelsPerInch");

    QTest::newRow("designed font") << FontRecord() << 96;
    FontRecord styled;
    styled.Name = QStringLiteral("DejaVu Sans Mono");
    styled.Height = -53; // 40 pt
    styled.Charset = 0;
    styled.Color = int(0xFF000005u);
    styled.pitch = FontRecord::Pitch::Variable;
    styled.Italic = true;
    styled.Underline = true;
    QTest::newRow("styled font") << styled << 96;
    FontRecord dense;
    dense.Height = -40; // 24 pt at 120 dpi
    dense.Charset = 3;  // no name: a number
    QTest::newRow("120 dpi, unnamed charset") << dense << 120;
}

void TestStoredFont::writeThenRead_givesTheFontBack()
{
    QFETCH(FontRecord, font);
    QFETCH(int, pixelsPerInch);

    RegistryStore storage(root, m_file);
    writeStoredFont(storage, fontKey, font, pixelsPerInch);
    FontRecord back;
    back.Bold = true;
    back.Name = QStringLiteral("other");
    back.Height = -7;
    readStoredFont(storage, fontKey, back, pixelsPerInch);
    QCOMPARE(back, font);
}

void TestStoredFont::unreadableSize_isNotSavedBack()
{
    store(fontHeader + "\"Name\"=\"Courier New\"\r\n\"Size\"=dword:000186a0\r\n");
    RegistryStore storage(root, m_file);
    FontRecord font;
    readStoredFont(storage, fontKey, font, 96);
    writeStoredFont(storage, fontKey, font, 96);
    QCOMPARE(storage.readInteger(fontKey + QStringLiteral("\\Size"), 0), 24);
    QCOMPARE(storage.readInteger(fontKey + QStringLiteral("\\Height"), 0), -32);
    QCOMPARE(storage.readString(fontKey + QStringLiteral("\\Name"), QString()),
             QStringLiteral("Courier New"));
}

QTEST_APPLESS_MAIN(TestStoredFont)
#include "tst_storedfont.moc"
