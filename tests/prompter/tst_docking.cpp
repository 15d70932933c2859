#include "docking.h"
#include "screenplace.h"

#include <QTest>

Q_DECLARE_METATYPE(TaskBar)

class PlacementTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void taskBarFromScreen_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<int>("edge");
        QTest::addColumn<QRect>("bar"); // left, top, right, bottom as x1, y1, x2, y2
        const QRect screen(0, 0, 1920, 1080);
        QTest::newRow("bottom") << QRect(0, 0, 1920, 1040) << int(TaskBar::Bottom)
                                << QRect(QPoint(0, 1040), QPoint(1920, 1080));
        QTest::newRow("top") << QRect(0, 40, 1920, 1040) << int(TaskBar::Top)
                             << QRect(QPoint(0, 0), QPoint(1920, 40));
        QTest::newRow("left") << QRect(60, 0, 1860, 1080) << int(TaskBar::Left)
                              << QRect(QPoint(0, 0), QPoint(60, 1080));
        QTest::newRow("right") << QRect(0, 0, 1860, 1080) << int(TaskBar::Right)
                               << QRect(QPoint(1860, 0), QPoint(1920, 1080));
        QTest::newRow("no panel") << screen << int(TaskBar::None) << QRect();
        // Panels at both edges: the top one counts.
        QTest::newRow("top and bottom") << QRect(0, 40, 1920, 1000) << int(TaskBar::Top)
                                        << QRect(QPoint(0, 0), QPoint(1920, 40));
    }

    void taskBarFromScreen()
    {
        QFETCH(QRect, available);
        QFETCH(int, edge);
        QFETCH(QRect, bar);
        const TaskBar found = ::taskBarFromScreen(QRect(0, 0, 1920, 1080), available);
        QCOMPARE(found.edge, edge);
        if (edge != TaskBar::None) {
            QCOMPARE(QRect(QPoint(found.left, found.top), QPoint(found.right, found.bottom)), bar);
        }
    }

    void dockedPlacement_data()
    {
        QTest::addColumn<int>("edge");
        QTest::addColumn<QRect>("bar");
        QTest::addColumn<bool>("bottom");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("expected");
        const auto r = [](int l, int t, int rr, int b) {
            return QRect(QPoint(l, t), QPoint(rr, b));
        };
        const QRect barBottom = r(0, 1040, 1920, 1080);
        const QRect barTop = r(0, 0, 1920, 40);
        const QRect barLeft = r(0, 0, 60, 1080);
        const QRect barRight = r(1860, 0, 1920, 1080);
        QTest::newRow("bottom bar, top")
            << 3 << barBottom << false << 250 << QRect(0, 0, 1920, 250);
        QTest::newRow("bottom bar, bottom")
            << 3 << barBottom << true << 250 << QRect(0, 789, 1920, 250);
        QTest::newRow("top bar, top") << 1 << barTop << false << 250 << QRect(0, 41, 1920, 250);
        QTest::newRow("top bar, bottom") << 1 << barTop << true << 250 << QRect(0, 830, 1920, 250);
        QTest::newRow("left bar, top") << 0 << barLeft << false << 250 << QRect(61, 0, 1859, 250);
        QTest::newRow("left bar, bottom")
            << 0 << barLeft << true << 250 << QRect(61, 830, 1859, 250);
        QTest::newRow("right bar, top") << 2 << barRight << false << 250 << QRect(0, 0, 1860, 250);
        QTest::newRow("right bar, bottom")
            << 2 << barRight << true << 250 << QRect(0, 830, 1860, 250);
        QTest::newRow("no bar, top") << -1 << QRect() << false << 250 << QRect(0, 0, 1920, 250);
        QTest::newRow("no bar, bottom") << -1 << QRect() << true << 250 << QRect(0, 830, 1920, 250);
        QTest::newRow("strip hidden, bottom keeps height")
            << 3 << barBottom << true << 198 << QRect(0, 841, 1920, 198);
        QTest::newRow("strip hidden, no bar, bottom edge on the screen's")
            << -1 << QRect() << true << 198 << QRect(0, 882, 1920, 198);
        QTest::newRow("remembered height, bottom edge on the screen's")
            << -1 << QRect() << true << 302 << QRect(0, 778, 1920, 302);
        QTest::newRow("remembered height, bottom edge above the bar")
            << 3 << barBottom << true << 302 << QRect(0, 737, 1920, 302);
        QTest::newRow("strip hidden, back to top is 250")
            << 3 << barBottom << false << 198 << QRect(0, 0, 1920, 250);
        QTest::newRow("unknown edge") << 7 << barBottom << true << 250 << QRect(0, 830, 1920, 250);
    }

    void dockedPlacement()
    {
        QFETCH(int, edge);
        QFETCH(QRect, bar);
        QFETCH(bool, bottom);
        QFETCH(int, height);
        QFETCH(QRect, expected);
        const TaskBar taskBar{edge, bar.left(), bar.top(), bar.right(), bar.bottom()};
        QCOMPARE(::dockedPlacement(1920, 1080, taskBar, bottom, height), expected);
    }

    void screenHoldingMost_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<int>("expected");
        const QRect left(0, 0, 1920, 1080);
        const QRect right(1920, 0, 1920, 1080);
        QTest::newRow("on the left") << QRect(0, 0, 1920, 250) << QList<QRect>{left, right} << 0;
        QTest::newRow("on the right")
            << QRect(1920, 0, 1920, 250) << QList<QRect>{left, right} << 1;
        // The monitors swapped places under a band that never moved.
        QTest::newRow("swapped under it")
            << QRect(0, 0, 1920, 250) << QList<QRect>{QRect(1920, 0, 1920, 1080), left} << 1;
        QTest::newRow("across both, mostly right")
            << QRect(1000, 0, 1920, 250) << QList<QRect>{left, right} << 1;
        QTest::newRow("on a screen that went")
            << QRect(0, 0, 1920, 250) << QList<QRect>{right} << -1;
        QTest::newRow("no screens") << QRect(0, 0, 1920, 250) << QList<QRect>() << -1;
    }

    void screenHoldingMost()
    {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, screens);
        QFETCH(int, expected);
        QCOMPARE(::screenHoldingMost(frame, screens), expected);
    }

    void bottomPlacement_endsOneRowAboveTheTaskBar()
    {
        const TaskBar bar{TaskBar::Bottom, 0, 1040, 1920, 1080};
        const QRect placed = ::dockedPlacement(1920, 1080, bar, true, 250);
        QCOMPARE(placed.bottom(), 1038);
    }
};

QTEST_APPLESS_MAIN(PlacementTest)
#include "tst_docking.moc"
