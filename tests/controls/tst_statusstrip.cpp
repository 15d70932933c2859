#include "artwork.h"
#include "logomenu.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "statusstrip.h"

#include <QAction>
#include <QSignalSpy>
#include <QtTest>

// The band's parts driven alone, without a prompter window behind them.
class StatusStripTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttons_data();
    void buttons();
    void holdRepeatsUntilRelease();
    void toggleShownReportsTheHeightChange();
    void menuItemsInOrder();
};

void StatusStripTest::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("action"); // -1: the help toggle
    QTest::addColumn<int>("picture");
    const auto row = [](const char *name, int action, int picture) {
        QTest::newRow(name) << QString::fromLatin1(name) << action << picture;
    };
    row("fasterButton", int(OperatorAction::Faster), 0);
    row("slowerButton", int(OperatorAction::Slower), 2);
    row("coarseFasterButton", int(OperatorAction::CoarseFaster), 6);
    row("coarseSlowerButton", int(OperatorAction::CoarseSlower), 4);
    row("pauseButton", int(OperatorAction::Pause), 8);
    row("reverseButton", int(OperatorAction::Reverse), 10);
    row("resetButton", int(OperatorAction::Top), 12);
    row("previousButton", int(OperatorAction::Previous), 14);
    row("nextButton", int(OperatorAction::Next), 16);
    row("helpButton", -1, 20);
}

// Each button shows its picture, the next one under the pointer, and reports
// its own action on release (the help button its own signal).
void StatusStripTest::buttons()
{
    QFETCH(QString, name);
    QFETCH(int, action);
    QFETCH(int, picture);
    const QList<QPixmap> pictures = makeImageList1();
    StatusStrip strip(pictures);
    auto *button = strip.findChild<PictureButton *>(name);
    QVERIFY(button);
    QCOMPARE(button->pixmap().toImage(), pictures.at(picture).toImage());
    Q_EMIT button->mouseEnter();
    QCOMPARE(button->pixmap().toImage(), pictures.at(picture + 1).toImage());
    Q_EMIT button->mouseLeave();
    QCOMPARE(button->pixmap().toImage(), pictures.at(picture).toImage());

    QSignalSpy released(&strip, &StatusStrip::released);
    QSignalSpy help(&strip, &StatusStrip::helpReleased);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(help.count(), action < 0 ? 1 : 0);
    QCOMPARE(released.count(), action < 0 ? 0 : 1);
    if (action >= 0)
        QCOMPARE(released.constFirst().constFirst().value<OperatorAction>(),
                 OperatorAction(action));
}

void StatusStripTest::holdRepeatsUntilRelease()
{
    StatusStrip strip(makeImageList1());
    auto *timer = strip.findChild<PromptTimer *>(QStringLiteral("repeatTimer"));
    auto *slower = strip.findChild<PictureButton *>(QStringLiteral("slowerButton"));
    QSignalSpy started(&strip, &StatusStrip::repeatStarted);
    QSignalSpy repeated(&strip, &StatusStrip::repeated);
    QTest::mousePress(slower, Qt::LeftButton);
    QCOMPARE(started.count(), 1);
    QVERIFY(timer->enabled());
    QCOMPARE(timer->interval(), 500u);
    Q_EMIT timer->timeout();
    Q_EMIT timer->timeout();
    QCOMPARE(timer->interval(), 50u);
    QCOMPARE(repeated.count(), 2);
    QCOMPARE(repeated.constLast().constFirst().value<OperatorAction>(), OperatorAction::Slower);
    QTest::mouseRelease(slower, Qt::LeftButton);
    QVERIFY(!timer->enabled());
    // A button that does not repeat never starts the timer.
    QTest::mousePress(strip.findChild<PictureButton *>(QStringLiteral("pauseButton")),
                      Qt::LeftButton);
    QVERIFY(!timer->enabled());
}

void StatusStripTest::toggleShownReportsTheHeightChange()
{
    QWidget window;
    auto *strip = new StatusStrip(makeImageList1(), &window);
    window.show();
    QCOMPARE(strip->toggleShown(), -52);
    QVERIFY(strip->isHidden());
    QCOMPARE(strip->toggleShown(), 52);
    QVERIFY(!strip->isHidden());
}

void StatusStripTest::menuItemsInOrder()
{
    LogoMenu menu(makeImageList1());
    auto *talent = new QMenu(QStringLiteral("Talent Screen"), &menu);
    menu.setTalentMenu(talent);
    menu.setGoToMenu(new QMenu(QStringLiteral("Go To"), &menu));
    QStringList names;
    for (QAction *action : menu.actions())
        names.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
    QCOMPARE(names.join(u' '),
             QStringLiteral("openAction fontAction - optionsAction - quickEditAction printAction - "
                            "statusStripAction - aboutAction - mirrorLeftToRightAction "
                            "mirrorTopToBottomAction talentScreenItem - remoteAction - "
                            "followVoiceAction - pasteAction - keysAction - nextMarkerAction "
                            "previousMarkerAction goToItem - targetTimeAction showOptionsAction"));
    QVERIFY(menu.item(MenuItem::StatusStrip)->isChecked());
    QVERIFY(menu.item(MenuItem::FollowVoice)->isCheckable());
    QVERIFY(!menu.item(MenuItem::Open)->icon().isNull());
}

QTEST_MAIN(StatusStripTest)
#include "tst_statusstrip.moc"
