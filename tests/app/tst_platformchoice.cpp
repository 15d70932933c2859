#include "platformchoice.h"

#include <QTest>

class PlatformChoiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chooseQtPlatform_data()
    {
        QTest::addColumn<QByteArray>("qpaPlatform");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("x11Display");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray viaXWayland = "xcb;wayland";
        QTest::newRow("X11 session") << QByteArray() << QByteArray() << QByteArray("x11")
                                     << QByteArray(":0") << QByteArray();
        QTest::newRow("Wayland display, XWayland")
            << QByteArray() << QByteArray("wayland-0") << QByteArray() << QByteArray(":0")
            << viaXWayland;
        QTest::newRow("Wayland session type, XWayland")
            << QByteArray() << QByteArray() << QByteArray("wayland") << QByteArray(":1")
            << viaXWayland;
        QTest::newRow("Wayland without XWayland")
            << QByteArray() << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray()
            << QByteArray();
        QTest::newRow("user chose wayland")
            << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray("wayland")
            << QByteArray(":0") << QByteArray();
        QTest::newRow("user chose offscreen") << QByteArray("offscreen") << QByteArray("wayland-0")
                                              << QByteArray() << QByteArray(":0") << QByteArray();
        QTest::newRow("empty choice counts as none")
            << QByteArray("") << QByteArray("wayland-0") << QByteArray() << QByteArray(":0")
            << viaXWayland;
        QTest::newRow("no display at all")
            << QByteArray() << QByteArray() << QByteArray("tty") << QByteArray() << QByteArray();
    }

    void chooseQtPlatform()
    {
        QFETCH(QByteArray, qpaPlatform);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, x11Display);
        QFETCH(QByteArray, expected);
        QCOMPARE(::chooseQtPlatform({qpaPlatform, waylandDisplay, sessionType, x11Display}),
                 expected);
    }
};

QTEST_GUILESS_MAIN(PlatformChoiceTest)
#include "tst_platformchoice.moc"
