#include "registrystore.h"
#include "tavrixerror.h"
#include "windowsettings.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <algorithm>

Q_DECLARE_METATYPE(Qt::WindowStates)

namespace {

const QString mainRoot = QStringLiteral("software\\morvane\\tavrix");
const QString optionsRoot = QStringLiteral("Software\\Morvane\\tavrix");
constexpr ScreenFacts fullHd{1920, 1080, 96};

// The stored controls of the main window and of the options window.
struct MainValues
{
    int stepSlider = 1;
    int interval = 300;
    FontRecord font;
};

struct OptionsValues
{
    int allcaps = 0;
    int location = 0;
};

QByteArray withCrLf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

QByteArray section(const char *name, const QByteArray &lines)
{
    return "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\" + QByteArray(name) + "]\r\n" +
           withCrLf(lines) + "\r\n";
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A window whose close handler may refuse, counting how often it is asked.
class ClosingWindow : public QWidget
{
public:
    bool refuse = false;
    int asked = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++asked;
        event->setAccepted(!refuse);
    }
};

} // namespace

class TestWindowSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void save_writesSectionLayout();
    void save_keepsUnknownValues();
    void restore_emptyStoreKeepsDesignedValues();
    void restore_placement_data();
    void restore_placement();
    void restore_otherDensityStillRestoresProperties();
    void restore_negativeVersionAppliesNothingAndSaveWritesZero();
    void restore_integerProperty_data();
    void restore_integerProperty();
    void restore_fontStyleKeyWithOnlyBoldYes();
    void restore_failingPropertySkipsOnlyItself();
    void restore_showCmd_data();
    void restore_showCmd();
    void roundTrip_placement_data();
    void roundTrip_placement();
    void roundTrip_beforeTheFrameIsKnownKeepsOuterSize();
    void roundTrip_resizeAfterRestoreWins();
    void show_restoresWhenNotYetRestored();
    void close_savesOnlyWhenGranted_data();
    void close_savesOnlyWhenGranted();
    void destruction_savesUnlessSavedSinceRestore_data();
    void destruction_savesUnlessSavedSinceRestore();
    void ownSaves_reportErrorsAndTheCloseGoesOn();
    void saveSettings_throwsWhenTheStoreCannotBeWritten();

private:
    std::unique_ptr<WindowSettings> mainStorage(QWidget *window, RegistryStore &store,
                                                MainValues &values, ScreenFacts screen = fullHd);
    std::unique_ptr<WindowSettings> optionsStorage(QWidget *window, RegistryStore &store,
                                                   OptionsValues &values,
                                                   ScreenFacts screen = fullHd);
    void storeFile(const QByteArray &sections);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
    QStringList m_reports;
};

void TestWindowSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("tavrix/user.reg"));
    m_reports.clear();
}

std::unique_ptr<WindowSettings> TestWindowSettings::mainStorage(QWidget *window,
                                                                RegistryStore &store,
                                                                MainValues &values,
                                                                ScreenFacts screen)
{
    auto storage = std::make_unique<WindowSettings>(
        window, QStringLiteral("Form1"), store,
        WindowSettings::RememberSize | WindowSettings::RememberPosition,
        [this](const std::exception &error) { m_reports.append(errorText(error)); },
        [screen] { return screen; });
    storage->addFont(
        QStringLiteral("FontDialog1_Font"), [&values] { return values.font; },
        [&values](const FontRecord &font) { values.font = font; });
    storage->addInteger(
        QStringLiteral("speedmod_Value"), [&values] { return values.stepSlider; },
        [&values](int v) { values.stepSlider = std::clamp(v, 1, 10); });
    storage->addInteger(
        QStringLiteral("Timer1_Interval"), [&values] { return values.interval; },
        [&values](int v) { values.interval = v; });
    return storage;
}

std::unique_ptr<WindowSettings> TestWindowSettings::optionsStorage(QWidget *window,
                                                                   RegistryStore &store,
                                                                   OptionsValues &values,
                                                                   ScreenFacts screen)
{
    auto storage = std::make_unique<WindowSettings>(
        window, QStringLiteral("Form4"), store,
        WindowSettings::RememberState | WindowSettings::RememberSize |
            WindowSettings::RememberPosition,
        [this](const std::exception &error) { m_reports.append(errorText(error)); },
        [screen] { return screen; });
    // Radio groups take -1 (nothing chosen) to 1.
    storage->addInteger(
        QStringLiteral("allcaps_ItemIndex"), [&values] { return values.allcaps; },
        [&values](int v) { values.allcaps = std::clamp(v, -1, 1); });
    storage->addInteger(
        QStringLiteral("mainformlocation_ItemIndex"), [&values] { return values.location; },
        [&values](int v) { values.location = std::clamp(v, -1, 1); });
    return storage;
}

void TestWindowSettings::storeFile(const QByteArray &sections)
{
    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Windows Registry Editor Version 5.00\r\n\r\n" + sections);
}

void TestWindowSettings::save_writesSectionLayout()
{
    RegistryStore mainStore(mainRoot, m_file);
    RegistryStore optionsStore(optionsRoot, m_file);
    MainValues main;
    OptionsValues options;
    QWidget form1;
    QWidget form4;
    form1.setGeometry(0, 0, 1920, 250);
    form4.setGeometry(711, 421, 498, 237);
    const auto mainSettings = mainStorage(&form1, mainStore, main);
    const auto optionsSettings = optionsStorage(&form4, optionsStore, options);

    mainSettings->save();
    optionsSettings->save();
    QVERIFY(mainSettings->saved());
    const QByteArray expected = withCrLf(R"reg(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\software\morvane\tavrix\Form1]
"FormVersion"=dword:00000000
"Flags"=dword:00000000
"PixelsPerInch"=dword:00000060
"MinMaxPos(1920x1080)"="-1,-1,-1,-1"
"MinMaxPos"="-1,-1,-1,-1"
"NormPos(1920x1080)"="0,0,1920,250"
"NormPos"="0,0,1920,250"
"speedmod_Value"=dword:00000001
"Timer1_Interval"=dword:0000012c

[HKEY_CURRENT_USER\software\morvane\tavrix\Form1\FontDialog1_Font]
"Charset"="DEFAULT_CHARSET"
"Color"="clWindowText"
"Height"=dword:ffffffe0
"Name"="Arial"
"Orientation"=dword:00000000
"Pitch"="fpDefault"
"Size"=dword:00000018

[HKEY_CURRENT_USER\software\morvane\tavrix\Form1\FontDialog1_Font\Style]
"fsBold"="FALSE"
"fsItalic"="FALSE"
"fsUnderline"="FALSE"
"fsStrikeOut"="FALSE"

[HKEY_CURRENT_USER\software\morvane\tavrix\Form4]
"FormVersion"=dword:00000000
"ShowCmd"=dword:00000001
"Flags"=dword:00000000
"PixelsPerInch"=dword:00000060
"MinMaxPos(1920x1080)"="-1,-1,-1,-1"
"MinMaxPos"="-1,-1,-1,-1"
"NormPos(1920x1080)"="711,421,1209,658"
"NormPos"="711,421,1209,658"
"allcaps_ItemIndex"=dword:00000000
"mainformlocation_ItemIndex"=dword:00000000

)reg");
    QCOMPARE(readAll(m_file), expected);
}

void TestWindowSettings::save_keepsUnknownValues()
{
    storeFile(section("Form4", "\"FormVersion\"=dword:00000000\n\"Extra\"=\"mine\"") +
              section("Form4\\Queue", "\"Last\"=hex:00,01") + section("Other", "@=\"x\""));
    RegistryStore store(optionsRoot, m_file);
    OptionsValues values;
    values.location = 1;
    QWidget window;
    optionsStorage(&window, store, values)->save();

    const QByteArray text = readAll(m_file);
    QVERIFY(text.contains("\"Extra\"=\"mine\"\r\n"));
    QVERIFY(text.contains("[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form4\\Queue]\r\n"
                          "\"Last\"=hex:00,01\r\n"));
    QVERIFY(text.contains("[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Other]\r\n@=\"x\"\r\n"));
    QVERIFY(text.contains("\"mainformlocation_ItemIndex\"=dword:00000001\r\n"));
}

void TestWindowSettings::restore_emptyStoreKeepsDesignedValues()
{
    RegistryStore store(mainRoot, m_file);
    MainValues values;
    QWidget window;
    window.setGeometry(0, 0, 1920, 250);
    int fontSets = 0;
    WindowSettings storage(&window, QStringLiteral("Form1"), store,
                           WindowSettings::RememberSize | WindowSettings::RememberPosition, {},
                           [] { return fullHd; });
    storage.addFont(
        QStringLiteral("FontDialog1_Font"), [&] { return values.font; },
        [&](const FontRecord &) { ++fontSets; });
    storage.addInteger(
        QStringLiteral("speedmod_Value"), [] { return 1; },
        [&](int v) { values.stepSlider = v + 100; });

    storage.restore();
    QVERIFY(storage.restored());
    QVERIFY(!storage.placementApplied());
    QCOMPARE(fontSets, 0);
    QCOMPARE(values.stepSlider, 1);
    QCOMPARE(window.frameGeometry(), QRect(0, 0, 1920, 250));
    QVERIFY(!QFile::exists(m_file));
}

void TestWindowSettings::restore_placement_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QSize>("screenSize");
    QTest::addColumn<int>("pixelsPerInch");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QRect>("frame");

    // The window starts at (5, 6), 300 x 200.
    const QRect designed(5, 6, 300, 200);
    const QByteArray both = "\"PixelsPerInch\"=dword:00000060\n"
                            "\"NormPos(1920x1080)\"=\"100,50,900,450\"\n"
                            "\"NormPos\"=\"10,20,510,320\"";
    QTest::newRow("suffix of this screen wins")
        << both << QSize(1920, 1080) << 96 << true << QRect(100, 50, 800, 400);
    QTest::newRow("new screen size takes the plain value")
        << both << QSize(1280, 1024) << 96 << true << QRect(10, 20, 500, 300);
    QTest::newRow("only another screen's value")
        << QByteArray("\"NormPos(1280x1024)\"=\"10,20,510,320\"") << QSize(1920, 1080) << 96
        << false << designed;
    QTest::newRow("blanks and comma runs separate once")
        << QByteArray("\"NormPos\"=\" 10 ,, 20  510,320 \"") << QSize(1920, 1080) << 96 << true
        << QRect(10, 20, 500, 300);
    QTest::newRow("missing right and bottom take the current size")
        << QByteArray("\"NormPos\"=\"10,20\"") << QSize(1920, 1080) << 96 << true
        << QRect(10, 20, 290, 180);
    QTest::newRow("non-number left is the current left")
        << QByteArray("\"NormPos\"=\"x,20,510,320\"") << QSize(1920, 1080) << 96 << true
        << QRect(5, 20, 505, 300);
    QTest::newRow("empty rectangle") << QByteArray("\"NormPos\"=\"500,20,400,320\"")
                                     << QSize(1920, 1080) << 96 << false << designed;
    QTest::newRow("coordinates beyond any screen")
        << QByteArray("\"NormPos\"=\"-2147483648,0,2147483647,10\"") << QSize(1920, 1080) << 96
        << false << designed;
    QTest::newRow("other density keeps the designed place")
        << QByteArray("\"PixelsPerInch\"=dword:00000078\n\"NormPos\"=\"10,20,510,320\"")
        << QSize(1920, 1080) << 96 << false << designed;
    QTest::newRow("stored 120 on a 120 screen")
        << QByteArray("\"PixelsPerInch\"=dword:00000078\n\"NormPos\"=\"10,20,510,320\"")
        << QSize(1920, 1080) << 120 << true << QRect(10, 20, 500, 300);
    QTest::newRow("density as decimal text")
        << QByteArray("\"PixelsPerInch\"=\"96\"\n\"NormPos\"=\"10,20,510,320\"")
        << QSize(1920, 1080) << 96 << true << QRect(10, 20, 500, 300);
    QTest::newRow("position not a string")
        << QByteArray("\"NormPos\"=dword:00000001") << QSize(1920, 1080) << 96 << false << designed;
    QTest::newRow("MinMaxPos alone places where the window is")
        << QByteArray("\"MinMaxPos\"=\"-1,-1,-1,-1\"") << QSize(1920, 1080) << 96 << true
        << designed;
    QTest::newRow("version below zero")
        << QByteArray("\"FormVersion\"=dword:ffffffff\n\"NormPos\"=\"10,20,510,320\"")
        << QSize(1920, 1080) << 96 << false << designed;
}

void TestWindowSettings::restore_placement()
{
    QFETCH(QByteArray, lines);
    QFETCH(QSize, screenSize);
    QFETCH(int, pixelsPerInch);
    QFETCH(bool, applied);
    QFETCH(QRect, frame);

    storeFile(section("Form1", lines));
    RegistryStore store(mainRoot, m_file);
    MainValues values;
    QWidget window;
    window.setGeometry(5, 6, 300, 200);
    const auto storage = mainStorage(&window, store, values,
                                     {screenSize.width(), screenSize.height(), pixelsPerInch});
    storage->restore();
    QCOMPARE(storage->placementApplied(), applied);
    QCOMPARE(window.frameGeometry(), frame);
    QVERIFY(!window.isVisible());
}

void TestWindowSettings::restore_otherDensityStillRestoresProperties()
{
    storeFile(
        section("Form1", "\"PixelsPerInch\"=dword:00000078\n"
                         "\"NormPos\"=\"10,20,510,320\"\n"
                         "\"speedmod_Value\"=dword:00000005\n"
                         "\"Timer1_Interval\"=dword:00000032") +
        section("Form1\\FontDialog1_Font", "\"Name\"=\"Courier New\"\n\"Size\"=dword:0000000c"));
    RegistryStore store(mainRoot, m_file);
    MainValues values;
    QWidget window;
    window.setGeometry(0, 0, 1920, 250);
    const auto storage = mainStorage(&window, store, values);
    storage->restore();

    QVERIFY(!storage->placementApplied());
    QCOMPARE(window.frameGeometry(), QRect(0, 0, 1920, 250));
    QCOMPARE(values.stepSlider, 5);
    QCOMPARE(values.interval, 50);
    QCOMPARE(values.font.Name, QStringLiteral("Courier New"));
    QCOMPARE(values.font.Height, -16); // 12 pt on this 96 dpi screen
}

void TestWindowSettings::restore_negativeVersionAppliesNothingAndSaveWritesZero()
{
    storeFile(section("Form1", "\"FormVersion\"=dword:ffffffff\n"
                               "\"NormPos\"=\"10,20,510,320\"\n"
                               "\"speedmod_Value\"=dword:00000005") +
              section("Form1\\FontDialog1_Font", "\"Name\"=\"Courier New\""));
    RegistryStore store(mainRoot, m_file);
    MainValues values;
    QWidget window;
    window.setGeometry(0, 0, 1920, 250);
    const auto storage = mainStorage(&window, store, values);
    storage->restore();

    QVERIFY(storage->restored());
    QCOMPARE(window.frameGeometry(), QRect(0, 0, 1920, 250));
    QCOMPARE(values.stepSlider, 1);
    QCOMPARE(values.font.Name, QStringLiteral("Arial"));

    storage->save();
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\FormVersion"), -1), 0);
    QCOMPARE(store.readString(QStringLiteral("Form1\\FontDialog1_Font\\Name"), QString()),
             QStringLiteral("Arial"));
}

void TestWindowSettings::restore_integerProperty_data()
{
    QTest::addColumn<bool>("options");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("initial");
    QTest::addColumn<int>("expected");

    QTest::newRow("speedmod 25 clamps to 10") << false << QByteArray("dword:00000019") << 1 << 10;
    QTest::newRow("speedmod 0 clamps to 1") << false << QByteArray("dword:00000000") << 4 << 1;
    QTest::newRow("speedmod as decimal text") << false << QByteArray("\"7\"") << 1 << 7;
    QTest::newRow("speedmod no number stays 1") << false << QByteArray("\"fast\"") << 1 << 1;
    QTest::newRow("speedmod no number keeps current") << false << QByteArray("\"fast\"") << 4 << 4;
    QTest::newRow("speedmod binary keeps current")
        << false << QByteArray("hex:05,00,00,00") << 4 << 4;
    QTest::newRow("speedmod nine hex digits keeps current")
        << false << QByteArray("dword:000000005") << 4 << 4;
    QTest::newRow("speedmod text beyond 32 bits keeps current")
        << false << QByteArray("\"4294967301\"") << 4 << 4;
    QTest::newRow("allcaps 7 clamps to 1") << true << QByteArray("dword:00000007") << 0 << 1;
    QTest::newRow("allcaps -5 clamps to -1") << true << QByteArray("dword:fffffffb") << 0 << -1;
    QTest::newRow("allcaps as decimal text") << true << QByteArray("\"1\"") << 0 << 1;
}

void TestWindowSettings::restore_integerProperty()
{
    QFETCH(bool, options);
    QFETCH(QByteArray, data);
    QFETCH(int, initial);
    QFETCH(int, expected);

    QWidget window;
    if (options) {
        storeFile(section("Form4", "\"allcaps_ItemIndex\"=" + data));
        RegistryStore store(optionsRoot, m_file);
        OptionsValues values;
        values.allcaps = initial;
        values.location = 1;
        const auto storage = optionsStorage(&window, store, values);
        storage->restore();
        QCOMPARE(values.allcaps, expected);
        QCOMPARE(values.location, 1);
        storage->save();
    } else {
        storeFile(section("Form1", "\"speedmod_Value\"=" + data));
        RegistryStore store(mainRoot, m_file);
        MainValues values;
        values.stepSlider = initial;
        const auto storage = mainStorage(&window, store, values);
        storage->restore();
        QCOMPARE(values.stepSlider, expected);
        QCOMPARE(values.interval, 300);
        storage->save();
    }
}

void TestWindowSettings::restore_fontStyleKeyWithOnlyBoldYes()
{
    storeFile(section("Form1\\FontDialog1_Font\\Style", "\"fsBold\"=\"yes\""));
    RegistryStore store(mainRoot, m_file);
    MainValues values;
    values.font.Italic = true;
    values.font.Underline = true;
    QWidget window;
    const auto storage = mainStorage(&window, store, values);
    storage->restore();

    FontRecord expected;
    expected.Bold = true;
    QCOMPARE(values.font, expected);
}

void TestWindowSettings::restore_failingPropertySkipsOnlyItself()
{
    storeFile(section("Form1", "\"First\"=dword:00000001\n\"Second\"=dword:00000002") +
              section("Form1\\Font", "\"Name\"=\"Courier New\""));
    RegistryStore store(mainRoot, m_file);
    QWidget window;
    int second = 0;
    FontRecord font;
    WindowSettings storage(&window, QStringLiteral("Form1"), store, WindowSettings::RememberSize,
                           {});
    storage.addInteger(
        QStringLiteral("First"), [] { return 0; },
        [](int) { throw TavrixError(QStringLiteral("no")); });
    storage.addFont(
        QStringLiteral("Font"), [&] { return font; }, [&](const FontRecord &f) { font = f; });
    storage.addInteger(
        QStringLiteral("Second"), [&] { return second; }, [&](int v) { second = v; });
    storage.restore();

    QVERIFY(storage.restored());
    QCOMPARE(font.Name, QStringLiteral("Courier New"));
    QCOMPARE(second, 2);
    storage.save();
}

void TestWindowSettings::restore_showCmd_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<Qt::WindowStates>("state");

    const Qt::WindowStates normal = Qt::WindowNoState;
    QTest::newRow("missing") << QByteArray("\"FormVersion\"=dword:00000000") << normal;
    for (int cmd : {0, 1, 4, 5, 8, 9, 10}) {
        QTest::addRow("%d is normal", cmd)
            << QByteArray("\"ShowCmd\"=dword:0000000" + QByteArray::number(cmd, 16)) << normal;
    }
    for (int cmd : {2, 6, 7}) {
        QTest::addRow("%d is minimized", cmd)
            << QByteArray("\"ShowCmd\"=dword:0000000" + QByteArray::number(cmd))
            << Qt::WindowStates(Qt::WindowMinimized);
    }
    QTest::newRow("3 is maximized")
        << QByteArray("\"ShowCmd\"=dword:00000003") << Qt::WindowStates(Qt::WindowMaximized);
    QTest::newRow("minimized restoring to maximized")
        << QByteArray("\"ShowCmd\"=dword:00000002\n\"Flags\"=dword:00000002")
        << (Qt::WindowMinimized | Qt::WindowMaximized);
    QTest::newRow("restore flag alone is normal")
        << QByteArray("\"ShowCmd\"=dword:00000001\n\"Flags\"=dword:00000002") << normal;
}

void TestWindowSettings::restore_showCmd()
{
    QFETCH(QByteArray, lines);
    QFETCH(Qt::WindowStates, state);

    storeFile(section("Form4", lines));
    RegistryStore store(optionsRoot, m_file);
    OptionsValues values;
    QWidget window;
    window.setWindowState(Qt::WindowMaximized); // a restore also takes a state away
    const auto storage = optionsStorage(&window, store, values);
    storage->restore();
    QCOMPARE(window.windowState(), state);
    QVERIFY(!window.isVisible());
}

void TestWindowSettings::roundTrip_placement_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<Qt::WindowStates>("state");
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<int>("flags");

    QTest::newRow("hidden") << false << Qt::WindowStates() << 1 << 0;
    QTest::newRow("shown, with a frame") << true << Qt::WindowStates() << 1 << 0;
    QTest::newRow("maximized") << true << Qt::WindowStates(Qt::WindowMaximized) << 3 << 0;
    QTest::newRow("minimized from maximized")
        << true << (Qt::WindowMinimized | Qt::WindowMaximized) << 2 << 2;
}

void TestWindowSettings::roundTrip_placement()
{
    QFETCH(bool, shown);
    QFETCH(Qt::WindowStates, state);
    QFETCH(int, showCmd);
    QFETCH(int, flags);

    RegistryStore store(optionsRoot, m_file);
    OptionsValues values;
    QRect normalFrame;
    {
        QWidget first;
        first.setGeometry(120, 80, 400, 300);
        if (shown) {
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
        }
        normalFrame = first.frameGeometry();
        if (state.testFlag(Qt::WindowMaximized))
            first.showMaximized();
        if (state.testFlag(Qt::WindowMinimized))
            first.showMinimized();
        QTRY_COMPARE(first.windowState(), state);
        optionsStorage(&first, store, values)->save();
    }
    QCOMPARE(store.readInteger(QStringLiteral("Form4\\ShowCmd"), -1), showCmd);
    QCOMPARE(store.readInteger(QStringLiteral("Form4\\Flags"), -1), flags);

    QWidget second;
    second.setGeometry(10, 10, 200, 100);
    const auto storage = optionsStorage(&second, store, values);
    storage->restore();
    QVERIFY(storage->placementApplied());
    QCOMPARE(second.windowState(), state);
    if (!shown) {
        QCOMPARE(second.frameGeometry(), normalFrame);
        return;
    }
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    second.showNormal();
    QTRY_COMPARE(second.frameGeometry(), normalFrame);
}

void TestWindowSettings::roundTrip_beforeTheFrameIsKnownKeepsOuterSize()
{
    // Restored before its first show, a window has no frame yet to subtract.
    RegistryStore store(optionsRoot, m_file);
    OptionsValues values;
    QRect saved;
    for (int run = 0; run < 3; ++run) {
        QWidget window;
        window.setGeometry(10, 10, 200, 100);
        const auto storage = optionsStorage(&window, store, values);
        storage->restore();
        if (run == 0)
            window.setGeometry(150, 90, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (run == 0)
            saved = window.frameGeometry();
        QTRY_COMPARE(window.frameGeometry(), saved);
        storage->save();
    }
    QVERIFY(saved.width() > 300); // the platform did give the window a frame
}

void TestWindowSettings::roundTrip_resizeAfterRestoreWins()
{
    storeFile(section("Form4", "\"NormPos\"=\"100,100,500,400\""));
    RegistryStore store(optionsRoot, m_file);
    OptionsValues values;
    QWidget window;
    const auto storage = optionsStorage(&window, store, values);
    storage->restore();
    window.resize(640, 120);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), QSize(640, 120));
}

void TestWindowSettings::show_restoresWhenNotYetRestored()
{
    storeFile(section("Form1", "\"speedmod_Value\"=dword:00000006"));
    RegistryStore store(mainRoot, m_file);
    MainValues values;
    QWidget window;
    const auto storage = mainStorage(&window, store, values);
    window.show();
    QVERIFY(storage->restored());
    QCOMPARE(values.stepSlider, 6);

    values.stepSlider = 2;
    window.hide();
    window.show(); // restored already: nothing read again
    QCOMPARE(values.stepSlider, 2);
}

void TestWindowSettings::close_savesOnlyWhenGranted_data()
{
    QTest::addColumn<bool>("refuse");
    QTest::newRow("granted") << false;
    QTest::newRow("refused") << true;
}

void TestWindowSettings::close_savesOnlyWhenGranted()
{
    QFETCH(bool, refuse);

    RegistryStore store(mainRoot, m_file);
    MainValues values;
    ClosingWindow window;
    window.refuse = refuse;
    const auto storage = mainStorage(&window, store, values);
    storage->restore();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    values.stepSlider = 8;

    QCOMPARE(window.close(), !refuse);
    QCOMPARE(window.asked, 1);
    QCOMPARE(window.isVisible(), refuse);
    QCOMPARE(storage->saved(), !refuse);
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\speedmod_Value"), -1), refuse ? -1 : 8);
    QVERIFY(m_reports.isEmpty());
}

void TestWindowSettings::destruction_savesUnlessSavedSinceRestore_data()
{
    QTest::addColumn<bool>("restore");
    QTest::addColumn<bool>("save");
    QTest::addColumn<int>("stored");

    QTest::newRow("restored, never saved") << true << false << 9;
    QTest::newRow("never restored") << false << false << 9;
    QTest::newRow("saved since the restore") << true << true << 3;
}

void TestWindowSettings::destruction_savesUnlessSavedSinceRestore()
{
    QFETCH(bool, restore);
    QFETCH(bool, save);
    QFETCH(int, stored);

    RegistryStore store(optionsRoot, m_file);
    OptionsValues values;
    {
        QWidget window;
        values.location = 3;
        const auto storage = optionsStorage(&window, store, values);
        if (restore)
            storage->restore();
        if (save)
            storage->save();
        values.location = 9; // the getter still works while the window goes
    }
    QCOMPARE(store.readInteger(QStringLiteral("Form4\\mainformlocation_ItemIndex"), -1), stored);
}

void TestWindowSettings::ownSaves_reportErrorsAndTheCloseGoesOn()
{
    RegistryStore store(mainRoot, m_file);
    // The store file cannot be written; it was readable when the store opened.
    QVERIFY(QDir().mkpath(m_file));
    MainValues values;
    const QString message = QStringLiteral(
        "Unable to open key \"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\" for write");
    {
        QWidget window;
        const auto storage = mainStorage(&window, store, values);
        storage->restore();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.close());
        QVERIFY(!window.isVisible());
        QCOMPARE(m_reports, QStringList{message});
        QVERIFY(!storage->saved());
    }
    QCOMPARE(m_reports, (QStringList{message, message}));
}

void TestWindowSettings::saveSettings_throwsWhenTheStoreCannotBeWritten()
{
    QFile blocker(m_dir->filePath(QStringLiteral("tavrix")));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the directory should be
    blocker.close();
    RegistryStore store(mainRoot, m_file);
    MainValues values;
    QWidget window;
    const auto storage = mainStorage(&window, store, values);
    storage->restore();
    QString error;
    try {
        storage->save();
    } catch (const TavrixError &e) {
        error = e.message();
    }
    QCOMPARE(error, QStringLiteral("Unable to create key 'software\\morvane\\tavrix\\Form1'"));
    QVERIFY(!storage->saved());
    QVERIFY(m_reports.isEmpty());
}

QTEST_MAIN(TestWindowSettings)
#include "tst_windowsettings.moc"
