#include "prompterfixture.h"

#include "artwork.h"
#include "connectionprobe.h"
#include "incrementslider.h"
#include "optionsdialog.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "radiogroup.h"
#include "scrollclock.h"
#include "texts.h"

#include <QAction>
#include <QFrame>
#include <QNetworkProxy>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWheelEvent>

using namespace texts;

namespace {

// An HTTP server on 127.0.0.1 that answers every request with one status line,
// or holds the answers back until release().
class StatusServer final : public QObject
{
public:
    explicit StatusServer(QByteArray statusLine) : m_status(std::move(statusLine))
    {
        m_server.setProxy(QNetworkProxy::NoProxy);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_received[socket] += socket->readAll();
                    if (!m_received[socket].contains("\r\n\r\n"))
                        return;
                    if (holding)
                        m_held.append(socket);
                    else
                        answer(socket);
                });
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }

    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()));
    }

    void release()
    {
        holding = false;
        for (const QPointer<QTcpSocket> &socket : std::as_const(m_held))
            if (socket)
                answer(socket);
        m_held.clear();
    }

    int connections = 0;
    bool holding = false;
    QByteArray body;

private:
    void answer(QTcpSocket *socket)
    {
        socket->write(m_status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QByteArray m_status;
    QHash<QTcpSocket *, QByteArray> m_received;
    QList<QPointer<QTcpSocket>> m_held;
    QTcpServer m_server;
};

// Sends the program's web requests (not the probe's) to `server` as an HTTP
// proxy while it lives, so that the help page's host is never looked up.
class HelpPageProxy
{
public:
    explicit HelpPageProxy(const StatusServer &server)
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy(
            QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), quint16(server.url().port())));
    }
    ~HelpPageProxy() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }
    Q_DISABLE_COPY_MOVE(HelpPageProxy)
};

// A port on which nothing listens.
QUrl refusingUrl()
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 port = closed.serverPort();
    closed.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port));
}

PictureButton *button(PrompterWindow &f, const QString &name)
{
    return widget<PictureButton>(f, qPrintable(name));
}

void click(PrompterWindow &f, const QString &name)
{
    QTest::mouseClick(button(f, name), Qt::LeftButton);
}

ScrollClock *scrollTimer(PrompterWindow &f)
{
    return widget<ScrollClock>(f, "scrollTimer");
}

PromptTimer *repeatTimer(PrompterWindow &f)
{
    return widget<PromptTimer>(f, "repeatTimer");
}

IncrementSlider *stepSlider(PrompterWindow &f)
{
    return widget<IncrementSlider>(f, "stepSlider");
}

IncrementSlider *speedSlider(PrompterWindow &f)
{
    return widget<IncrementSlider>(f, "speedSlider");
}

bool samePicture(const QPixmap &a, const QPixmap &b)
{
    return a.toImage().convertToFormat(QImage::Format_ARGB32) ==
           b.toImage().convertToFormat(QImage::Format_ARGB32);
}

// A point on the slider's track, `fraction` of its height from the top.
QPoint trackPoint(QSlider *slider, double fraction)
{
    return QPoint(slider->width() / 2, int(slider->height() * fraction));
}

} // namespace

// The picture buttons of the status strip, the sliders, Show Status Bar and
// the online help toggle.
class ControlStripTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buttons_actWithinBounds_data();
    void buttons_actWithinBounds();
    void pause_togglesEvenAtSpeedZero();
    void reset_returnsToTopPaused();
    void previousAndNext_stopAtTheEndsOfTheQueue();
    void speedButtons_repeatWhileHeld();
    void speedButtons_holdWalksThroughZero();
    void speedButtons_realHoldAndClick();
    void hover_swapsPictures_data();
    void hover_swapsPictures();
    void helpLineAndSliders_lookAsSet();
    void statusStrip_hidesAndRestoresHeight_data();
    void statusStrip_hidesAndRestoresHeight();
    void stepped_landsOnMultiples_data();
    void stepped_landsOnMultiples();
    void stepSlider_reportsOnlyAtTheEnd();
    void stepSlider_heldTrackPressRepeats();
    void stepSlider_heldTrackPressFollowsThePointer();
    void stepSlider_keysAndWheel_data();
    void stepSlider_keysAndWheel();
    void speedSlider_trackPressAppliesAtOnce();
    void help_lifeCycle();
    void help_noConnection_data();
    void help_noConnection();
    void help_scriptOpenedWhileShown();
    void help_probeKeepsWindowRunning();
    void help_pageLoadKeepsTheBandMoving();
    void help_lateAnswerLeavesANewerScript();
    void manyClicks_keepBounds();
};

void ControlStripTest::buttons_actWithinBounds_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<int>("expectedSpeed");
    QTest::addColumn<int>("expectedStep");
    QTest::addColumn<bool>("expectedRunning");
    // The speed buttons leave the focus alone unless the speed slider moves.
    QTest::addColumn<bool>("focusToView");

    QTest::newRow("faster 290") << "fasterButton" << 290 << 1 << false << 300 << 1 << true << true;
    QTest::newRow("faster 300 paused resumes")
        << "fasterButton" << 300 << 1 << true << 300 << 1 << true << false;
    QTest::newRow("faster -10 pauses")
        << "fasterButton" << -10 << 1 << false << 0 << 1 << false << true;
    QTest::newRow("slower 5 reverses")
        << "slowerButton" << 5 << 1 << false << -5 << 1 << true << true;
    QTest::newRow("slower -300") << "slowerButton" << -300 << 1 << false << -300 << 1 << true
                                 << false;
    QTest::newRow("coarse faster 4")
        << "coarseFasterButton" << 50 << 4 << false << 50 << 5 << true << true;
    QTest::newRow("coarse faster 10 paused")
        << "coarseFasterButton" << 50 << 10 << true << 50 << 10 << true << true;
    QTest::newRow("coarse slower 4")
        << "coarseSlowerButton" << 50 << 4 << false << 50 << 3 << true << true;
    QTest::newRow("coarse slower 1 paused")
        << "coarseSlowerButton" << 50 << 1 << true << 50 << 1 << true << true;
    QTest::newRow("reverse 40") << "reverseButton" << 40 << 1 << false << -40 << 1 << true << true;
    QTest::newRow("reverse -300 paused")
        << "reverseButton" << -300 << 1 << true << 300 << 1 << true << true;
}

void ControlStripTest::buttons_actWithinBounds()
{
    QFETCH(QString, button);
    QFETCH(int, speed);
    QFETCH(int, step);
    QFETCH(bool, paused);
    QFETCH(int, expectedSpeed);
    QFETCH(int, expectedStep);
    QFETCH(bool, expectedRunning);
    QFETCH(bool, focusToView);

    Prompter p;
    p.showScript(200);
    setSpeed(p.form, speed);
    // Code's change of the step slider is not reported: the label stays behind.
    stepSlider(p.form)->setValue(step);
    if (paused)
        pressKey(p.form, Qt::Key_Q);
    QCOMPARE(scrollTimer(p.form)->enabled(), !paused);
    speedSlider(p.form)->setFocus();

    click(p.form, button);

    QCOMPARE(p.form.currentSpeed(), expectedSpeed);
    QCOMPARE(stepSlider(p.form)->value(), expectedStep);
    QCOMPARE(speedSlider(p.form)->value(), expectedSpeed);
    QCOMPARE(scrollTimer(p.form)->enabled(), expectedRunning);
    QCOMPARE(scrollTimer(p.form)->interval(), unsigned(301 - std::abs(expectedSpeed)));
    QCOMPARE(p.form.scrollForward(), expectedSpeed > 0);
    QCOMPARE(labelText(p.form, "speedLabel"),
             expectedRunning ? rsSpeed + QString::number(expectedSpeed) : rsPaused);
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QString::number(expectedStep));
    QCOMPARE(QApplication::focusWidget() == page(p.form), focusToView);
}

void ControlStripTest::pause_togglesEvenAtSpeedZero()
{
    Prompter p;
    p.showScript(200);
    auto *timer = scrollTimer(p.form);
    QVERIFY(!timer->enabled());
    const unsigned period = timer->interval();

    click(p.form, QStringLiteral("pauseButton"));
    QVERIFY(timer->enabled());
    QCOMPARE(timer->interval(), period);
    QCOMPARE(p.form.currentSpeed(), 0);
    QCOMPARE(labelText(p.form, "speedLabel"), rsSpeed + QStringLiteral("0"));
    QCOMPARE(QApplication::focusWidget(), page(p.form));

    click(p.form, QStringLiteral("pauseButton"));
    QVERIFY(!timer->enabled());
    QCOMPARE(labelText(p.form, "speedLabel"), rsPaused);

    setSpeed(p.form, 70);
    click(p.form, QStringLiteral("pauseButton"));
    QVERIFY(!timer->enabled());
    QCOMPARE(labelText(p.form, "speedLabel"), rsPaused);
    QCOMPARE(p.form.currentSpeed(), 70);
    click(p.form, QStringLiteral("pauseButton"));
    QVERIFY(timer->enabled());
    QCOMPARE(timer->interval(), 231u);
    QCOMPARE(labelText(p.form, "speedLabel"), rsSpeed + QStringLiteral("70"));
}

void ControlStripTest::reset_returnsToTopPaused()
{
    Prompter p;
    p.showScript(300);
    setSpeed(p.form, -60);
    page(p.form)->scrollTo(0, 500);
    QVERIFY(page(p.form)->scrollPosition() > 0);

    click(p.form, QStringLiteral("resetButton"));
    QCOMPARE(page(p.form)->scrollPosition(), 0);
    QVERIFY(!scrollTimer(p.form)->enabled());
    QCOMPARE(labelText(p.form, "speedLabel"), rsPaused);
    QCOMPARE(p.form.currentSpeed(), -60);
    QCOMPARE(QApplication::focusWidget(), page(p.form));
}

void ControlStripTest::previousAndNext_stopAtTheEndsOfTheQueue()
{
    QTemporaryDir dir;
    const QString first = writeTestFile(dir, QStringLiteral("first.txt"), "First\n");
    const QString second = writeTestFile(dir, QStringLiteral("second.txt"), "Second\n");
    Prompter p;
    p.windows.options->setQueueItems({first, second});
    p.dialogs.modal = [](QDialog *) { return int(QDialog::Accepted); };
    p.form.showOptions();
    p.settle();
    QCOMPARE(p.form.scriptTitle(), first);

    click(p.form, QStringLiteral("previousButton"));
    QCOMPARE(p.form.scriptTitle(), first);
    QCOMPARE(p.form.queuePosition(), 0);
    click(p.form, QStringLiteral("nextButton"));
    QCOMPARE(p.form.scriptTitle(), second);
    QCOMPARE(p.form.queuePosition(), 1);
    QCOMPARE(p.form.scriptLines(), QStringList{QStringLiteral("Second")});
    click(p.form, QStringLiteral("nextButton"));
    QCOMPARE(p.form.scriptTitle(), second);
    QCOMPARE(p.form.queuePosition(), 1);
    click(p.form, QStringLiteral("previousButton"));
    QCOMPARE(p.form.scriptTitle(), first);
    QCOMPARE(p.form.queuePosition(), 0);
}

void ControlStripTest::speedButtons_repeatWhileHeld()
{
    Prompter p;
    p.showScript(100);
    auto *timer = repeatTimer(p.form);
    auto *faster = button(p.form, QStringLiteral("fasterButton"));
    QVERIFY(!timer->enabled());

    QTest::mousePress(faster, Qt::LeftButton);
    QVERIFY(timer->enabled());
    QCOMPARE(timer->interval(), 500u);
    QCOMPARE(p.form.currentSpeed(), 0);

    Q_EMIT timer->timeout();
    QCOMPARE(p.form.currentSpeed(), 10);
    QCOMPARE(timer->interval(), 50u);
    for (int i = 0; i < 30; ++i)
        Q_EMIT timer->timeout();
    QCOMPARE(p.form.currentSpeed(), 300);
    QCOMPARE(labelText(p.form, "speedLabel"), rsSpeed + QStringLiteral("300"));

    QTest::mouseRelease(faster, Qt::LeftButton);
    QVERIFY(!timer->enabled());
    QCOMPARE(p.form.currentSpeed(), 300);

    // A new press starts again with the long first period.
    auto *slower = button(p.form, QStringLiteral("slowerButton"));
    QTest::mousePress(slower, Qt::LeftButton);
    QCOMPARE(timer->interval(), 500u);
    Q_EMIT timer->timeout();
    Q_EMIT timer->timeout();
    QCOMPARE(p.form.currentSpeed(), 280);
    QTest::mouseRelease(slower, Qt::LeftButton);
    QCOMPARE(p.form.currentSpeed(), 270);
    QVERIFY(!timer->enabled());
}

void ControlStripTest::speedButtons_holdWalksThroughZero()
{
    Prompter p;
    p.showScript(100);
    setSpeed(p.form, 100);
    auto *timer = repeatTimer(p.form);
    auto *slower = button(p.form, QStringLiteral("slowerButton"));
    QTest::mousePress(slower, Qt::LeftButton);
    for (int i = 0; i < 10; ++i)
        Q_EMIT timer->timeout();
    QCOMPARE(p.form.currentSpeed(), 0);
    QVERIFY(!scrollTimer(p.form)->enabled());
    QCOMPARE(labelText(p.form, "speedLabel"), rsPaused);
    Q_EMIT timer->timeout();
    QCOMPARE(p.form.currentSpeed(), -10);
    QVERIFY(scrollTimer(p.form)->enabled());
    QVERIFY(!p.form.scrollForward());
    QTest::mouseRelease(slower, Qt::LeftButton);
    QCOMPARE(p.form.currentSpeed(), -20);
}

void ControlStripTest::speedButtons_realHoldAndClick()
{
    Prompter p;
    p.showScript(100);
    auto *faster = button(p.form, QStringLiteral("fasterButton"));

    QTest::mouseClick(faster, Qt::LeftButton);
    QCOMPARE(p.form.currentSpeed(), 10);

    // Repeats at 500, 550, ... 1000 ms and one on release: about 12 steps.
    QTest::mousePress(faster, Qt::LeftButton);
    QTest::qWait(1000);
    QTest::mouseRelease(faster, Qt::LeftButton);
    const int steps = (p.form.currentSpeed() - 10) / 10;
    QVERIFY2(steps >= 9 && steps <= 14, qPrintable(QString::number(steps)));
    QVERIFY(!repeatTimer(p.form)->enabled());
    const int held = p.form.currentSpeed();
    QTest::qWait(200);
    QCOMPARE(p.form.currentSpeed(), held);
}

void ControlStripTest::hover_swapsPictures_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("enter");
    QTest::addColumn<int>("leave");
    QTest::newRow("Increase Speed") << "fasterButton" << 1 << 0;
    QTest::newRow("Decrease Speed") << "slowerButton" << 3 << 2;
    QTest::newRow("Coarse Faster") << "coarseFasterButton" << 7 << 6;
    QTest::newRow("Coarse Slower") << "coarseSlowerButton" << 5 << 4;
    QTest::newRow("Pause") << "pauseButton" << 9 << 8;
    QTest::newRow("Reverse Direction") << "reverseButton" << 11 << 10;
    QTest::newRow("Reset") << "resetButton" << 13 << 12;
    QTest::newRow("Load Previous Script") << "previousButton" << 15 << 14;
    QTest::newRow("Load Next Script") << "nextButton" << 17 << 16;
    QTest::newRow("Toggle Help") << "helpButton" << 21 << 20;
}

void ControlStripTest::hover_swapsPictures()
{
    QFETCH(QString, button);
    QFETCH(int, enter);
    QFETCH(int, leave);
    const QList<QPixmap> pictures = makeImageList1();
    QVERIFY(!samePicture(pictures.at(enter), pictures.at(leave)));

    Prompter p;
    auto *b = ::button(p.form, button);
    const QList<PictureButton *> all = p.form.findChildren<PictureButton *>();
    QList<QImage> startUp;
    for (PictureButton *each : all)
        startUp.append(each->pixmap().toImage());
    QVERIFY(!samePicture(b->pixmap(), pictures.at(enter)));

    QEnterEvent in(QPointF(2, 2), QPointF(2, 2), b->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(b, &in);
    QVERIFY(samePicture(b->pixmap(), pictures.at(enter)));
    QEvent out(QEvent::Leave);
    QCoreApplication::sendEvent(b, &out);
    QVERIFY(samePicture(b->pixmap(), pictures.at(leave)));

    // The buttons the pointer never touched keep their start-up pictures.
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (all.at(i) != b)
            QCOMPARE(all.at(i)->pixmap().toImage(), startUp.at(i));
    }
}

void ControlStripTest::helpLineAndSliders_lookAsSet()
{
    Prompter p;
    auto *line = widget<QLabel>(p.form, "helpLine");
    QCOMPARE(line->text(), QStringLiteral("W-Increase Speed | S-Decrease Speed | Q-Pause | "
                                          "E-Reverse Direction | F-Reset | A-Load Prev. Script | "
                                          "D-Load Next Script"));
    QCOMPARE(line->alignment(), Qt::AlignCenter);
    QCOMPARE(line->palette().color(QPalette::WindowText), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(line->font().family(), QStringLiteral("Arial"));
    QCOMPARE(line->font().pixelSize(), 11);

    struct Expected
    {
        IncrementSlider *slider;
        int minimum, maximum, increment;
    };
    for (const Expected &e :
         {Expected{speedSlider(p.form), -300, 300, 10}, Expected{stepSlider(p.form), 1, 10, 3}}) {
        QCOMPARE(e.slider->orientation(), Qt::Vertical);
        QVERIFY(!e.slider->invertedAppearance());
        QCOMPARE(e.slider->minimum(), e.minimum);
        QCOMPARE(e.slider->maximum(), e.maximum);
        QCOMPARE(e.slider->increment(), e.increment);
    }
}

void ControlStripTest::statusStrip_hidesAndRestoresHeight_data()
{
    QTest::addColumn<int>("placement");
    QTest::addColumn<QRect>("shown");
    QTest::addColumn<QRect>("hidden");
    // The offscreen platform's screen: 800 x 800 without panels; outer bounds.
    QTest::newRow("top: keeps the top edge") << 0 << QRect(0, 0, 800, 250) << QRect(0, 0, 800, 198);
    QTest::newRow("bottom: keeps the bottom edge")
        << 1 << QRect(0, 550, 800, 250) << QRect(0, 602, 800, 198);
}

void ControlStripTest::statusStrip_hidesAndRestoresHeight()
{
    QFETCH(int, placement);
    QFETCH(QRect, shown);
    QFETCH(QRect, hidden);
    Prompter p;
    if (placement != 0) {
        p.dialogs.modal = [placement](QDialog *dialog) {
            widget<RadioGroup>(*dialog, "placementGroup")->setItemIndex(placement);
            return int(QDialog::Accepted);
        };
        p.form.showOptions();
    }
    auto *action = widget<QAction>(p.form, "statusStripAction");
    auto *strip = widget<QFrame>(p.form, "statusStrip");
    auto *view = widget<QFrame>(p.form, "viewArea");
    QVERIFY(action->isChecked());
    QCOMPARE(p.form.frameGeometry(), shown);
    const int viewHeight = view->height();

    for (int round = 0; round < 2; ++round) {
        action->trigger();
        QVERIFY(!action->isChecked());
        QVERIFY(strip->isHidden());
        QCOMPARE(p.form.frameGeometry(), hidden);
        QTRY_COMPARE(view->height(), viewHeight);
        QCOMPARE(QApplication::focusWidget(), page(p.form));

        action->trigger();
        QVERIFY(action->isChecked());
        QVERIFY(!strip->isHidden());
        QCOMPARE(p.form.frameGeometry(), shown);
        QTRY_COMPARE(view->height(), viewHeight);
    }
}

void ControlStripTest::stepped_landsOnMultiples_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("increment");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("expected");
    QTest::newRow("1 up by 3") << 1 << 3 << true << 1 << 10 << 3;
    QTest::newRow("5 up by 3") << 5 << 3 << true << 1 << 10 << 9;
    QTest::newRow("4 up by 3") << 4 << 3 << true << 1 << 10 << 6;
    QTest::newRow("8 up to the top") << 8 << 3 << true << 1 << 10 << 10;
    QTest::newRow("10 down by 3") << 10 << 3 << false << 1 << 10 << 6;
    QTest::newRow("2 down to the bottom") << 2 << 3 << false << 1 << 10 << 1;
    QTest::newRow("1 stays at the bottom") << 1 << 3 << false << 1 << 10 << 1;
    QTest::newRow("speed 13 up") << 13 << 10 << true << -300 << 300 << 20;
    QTest::newRow("speed -13 down") << -13 << 10 << false << -300 << 300 << -20;
    QTest::newRow("speed -17 up") << -17 << 10 << true << -300 << 300 << -10;
    QTest::newRow("speed 5 up: shortest move") << 5 << 10 << true << -300 << 300 << 10;
    QTest::newRow("speed 5 down: shortest move") << 5 << 10 << false << -300 << 300 << 0;
    QTest::newRow("speed -5 down") << -5 << 10 << false << -300 << 300 << -10;
    QTest::newRow("speed 295 up") << 295 << 10 << true << -300 << 300 << 300;
    QTest::newRow("speed -300 down") << -300 << 10 << false << -300 << 300 << -300;
    QTest::newRow("no overflow") << std::numeric_limits<int>::max() << 10 << true << 0
                                 << std::numeric_limits<int>::max()
                                 << std::numeric_limits<int>::max();
}

void ControlStripTest::stepped_landsOnMultiples()
{
    QFETCH(int, value);
    QFETCH(int, increment);
    QFETCH(bool, up);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, expected);
    QCOMPARE(IncrementSlider::stepped(value, increment, up, minimum, maximum), expected);
}

void ControlStripTest::stepSlider_reportsOnlyAtTheEnd()
{
    Prompter p;
    p.showScript(100);
    setSpeed(p.form, 40);
    pressKey(p.form, Qt::Key_Q); // paused: the report applies the speed again
    auto *slider = stepSlider(p.form);
    QCOMPARE(slider->value(), 1);
    const QString label = labelText(p.form, "stepLabel");

    // Maximum at the top: a press high on the track moves the value up.
    QTest::mousePress(slider, Qt::LeftButton, {}, trackPoint(slider, 0.05));
    QCOMPARE(slider->value(), 3);
    QCOMPARE(labelText(p.form, "stepLabel"), label);
    QVERIFY(!scrollTimer(p.form)->enabled());
    QTest::mouseRelease(slider, Qt::LeftButton, {}, trackPoint(slider, 0.05));
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QStringLiteral("3"));
    QVERIFY(scrollTimer(p.form)->enabled());
    QCOMPARE(QApplication::focusWidget(), page(p.form));

    // A press low on the track moves it down.
    QTest::mousePress(slider, Qt::LeftButton, {}, trackPoint(slider, 0.95));
    QCOMPARE(slider->value(), 1);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, trackPoint(slider, 0.95));
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QStringLiteral("1"));

    // Code's own change is not reported.
    slider->setValue(7);
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QStringLiteral("1"));
}

void ControlStripTest::stepSlider_heldTrackPressRepeats()
{
    Prompter p;
    p.showScript(100);
    auto *slider = stepSlider(p.form);
    QSignalSpy values(slider, &QSlider::valueChanged);
    QTest::mousePress(slider, Qt::LeftButton, {}, trackPoint(slider, 0.02));
    QTRY_COMPARE(slider->value(), 10);
    QCOMPARE(values.size(), 4); // 3, 6, 9, 10
    // Each repeat moves the thumb but is no end of the interaction.
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QStringLiteral("1"));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, trackPoint(slider, 0.02));
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QStringLiteral("10"));
}

void ControlStripTest::stepSlider_heldTrackPressFollowsThePointer()
{
    Prompter p;
    auto *slider = stepSlider(p.form);
    slider->setValue(10);
    QTest::mousePress(slider, Qt::LeftButton, {}, trackPoint(slider, 0.95));
    QCOMPARE(slider->value(), 6);
    // Still held, the pointer goes back up the track: the thumb follows it.
    const QPoint up = trackPoint(slider, 0.02);
    QMouseEvent move(QEvent::MouseMove, up, slider->mapToGlobal(up), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &move);
    QTRY_COMPARE(slider->value(), 10);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, up);
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QStringLiteral("10"));
}

void ControlStripTest::stepSlider_keysAndWheel_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key"); // 0: one wheel notch up, -1: one notch down
    QTest::addColumn<int>("expected");
    QTest::newRow("Up from 1") << 1 << int(Qt::Key_Up) << 3;
    QTest::newRow("Up from 5") << 5 << int(Qt::Key_Up) << 9;
    QTest::newRow("Down from 5") << 5 << int(Qt::Key_Down) << 3;
    QTest::newRow("Down from 2") << 2 << int(Qt::Key_Down) << 1;
    QTest::newRow("Page Up from 5") << 5 << int(Qt::Key_PageUp) << 9;
    QTest::newRow("Page Down from 5") << 5 << int(Qt::Key_PageDown) << 3;
    QTest::newRow("Right from 1") << 1 << int(Qt::Key_Right) << 3;
    QTest::newRow("Left from 7") << 7 << int(Qt::Key_Left) << 3;
    QTest::newRow("Home") << 7 << int(Qt::Key_Home) << 1;
    QTest::newRow("End") << 2 << int(Qt::Key_End) << 10;
    QTest::newRow("wheel up") << 4 << 0 << 6;
    QTest::newRow("wheel down") << 7 << -1 << 3;
}

void ControlStripTest::stepSlider_keysAndWheel()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    Prompter p;
    auto *slider = stepSlider(p.form);
    slider->setValue(start);
    slider->setFocus();
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QStringLiteral("1"));
    if (key > 0) {
        QTest::keyClick(slider, Qt::Key(key));
    } else {
        const QPoint at = trackPoint(slider, 0.5);
        QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(), QPoint(0, key == 0 ? 120 : -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider, &wheel);
    }
    QCOMPARE(slider->value(), expected);
    QCOMPARE(labelText(p.form, "stepLabel"), rsCoarse + QString::number(expected));
    QCOMPARE(QApplication::focusWidget(), page(p.form));
}

void ControlStripTest::speedSlider_trackPressAppliesAtOnce()
{
    Prompter p;
    p.showScript(100);
    auto *slider = speedSlider(p.form);
    setSpeed(p.form, 13);
    QTest::mousePress(slider, Qt::LeftButton, {}, trackPoint(slider, 0.02));
    // Applied on the press, not only on the release.
    QCOMPARE(p.form.currentSpeed(), 20);
    QVERIFY(scrollTimer(p.form)->enabled());
    QTest::mouseRelease(slider, Qt::LeftButton, {}, trackPoint(slider, 0.02));
    QCOMPARE(QApplication::focusWidget(), page(p.form));

    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Down);
    QCOMPARE(p.form.currentSpeed(), 10);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    QCOMPARE(p.form.currentSpeed(), 300);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Home);
    QCOMPARE(p.form.currentSpeed(), -300);
    QCOMPARE(labelText(p.form, "speedLabel"), rsSpeed + QStringLiteral("-300"));
}

void ControlStripTest::help_lifeCycle()
{
    StatusServer server("HTTP/1.1 200 OK");
    StatusServer helpServer("HTTP/1.1 200 OK");
    helpServer.body = "<html><body>The local help page</body></html>";
    const HelpPageProxy proxy(helpServer);
    Prompter p;
    p.showScript(50);
    widget<ConnectionProbe>(p.form, "connectionProbe")->setTarget(server.url());
    setSpeed(p.form, 30);
    const QStringList scriptPage = p.form.pageLines();
    QSignalSpy loaded(page(p.form), &HtmlView::documentComplete);

    click(p.form, QStringLiteral("helpButton"));
    QTRY_VERIFY(p.form.helpShown());
    QCOMPARE(server.connections, 1);
    QTRY_VERIFY(!loaded.isEmpty());
    QCOMPARE(loaded.takeFirst().at(0).toString(), rsHelpAddress);
    QCOMPARE(helpServer.connections, 1);
    QVERIFY(page(p.form)->engineText().contains(QStringLiteral("The local help page")));
    QVERIFY(p.dialogs.messages.isEmpty());
    QVERIFY(scrollTimer(p.form)->enabled());
    QCOMPARE(p.form.currentSpeed(), 30);

    click(p.form, QStringLiteral("helpButton"));
    QVERIFY(!p.form.helpShown());
    p.settle();
    QCOMPARE(p.form.pageLines(), scriptPage);
    QVERIFY(page(p.form)->engineText().contains(QStringLiteral("Line 7 of the evening news")));
    QCOMPARE(server.connections, 1);

    // The next press probes again.
    click(p.form, QStringLiteral("helpButton"));
    QTRY_VERIFY(p.form.helpShown());
    QCOMPARE(server.connections, 2);
}

void ControlStripTest::help_noConnection_data()
{
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("refused") << true << QByteArray();
    QTest::newRow("404") << false << QByteArray("HTTP/1.1 404 Not Found");
    QTest::newRow("redirect") << false << QByteArray("HTTP/1.1 301 Moved\r\nLocation: /x");
}

void ControlStripTest::help_noConnection()
{
    QFETCH(bool, refused);
    QFETCH(QByteArray, status);
    StatusServer server(status);
    Prompter p;
    p.showScript(50);
    auto *probe = widget<ConnectionProbe>(p.form, "connectionProbe");
    probe->setTarget(refused ? refusingUrl() : server.url());
    setSpeed(p.form, 40);
    const QStringList scriptPage = p.form.pageLines();
    const QString shown = page(p.form)->engineText();
    QSignalSpy loaded(page(p.form), &HtmlView::documentComplete);

    click(p.form, QStringLiteral("helpButton"));
    QTRY_COMPARE(p.dialogs.messages.size(), 1);
    QCOMPARE(p.dialogs.messages.first(),
             QStringLiteral(
                 "Tavrix Help files are Internet based.\n\rNo Internet connection was detected."));
    QVERIFY(!probe->isRunning());
    QVERIFY(!p.form.helpShown());
    QCOMPARE(p.form.pageLines(), scriptPage);
    QCOMPARE(page(p.form)->engineText(), shown);
    QVERIFY(!page(p.form)->isLoading());
    QVERIFY(loaded.isEmpty());
    QVERIFY(scrollTimer(p.form)->enabled());
    QCOMPARE(p.form.currentSpeed(), 40);
}

void ControlStripTest::help_scriptOpenedWhileShown()
{
    QTemporaryDir dir;
    const QString path = writeTestFile(dir, QStringLiteral("news.txt"), "Opened while helping\n");
    StatusServer server("HTTP/1.1 204 No Content");
    StatusServer helpServer("HTTP/1.1 200 OK");
    const HelpPageProxy proxy(helpServer);
    Prompter p;
    widget<ConnectionProbe>(p.form, "connectionProbe")->setTarget(server.url());

    click(p.form, QStringLiteral("helpButton"));
    QTRY_VERIFY(p.form.helpShown());

    p.dialogs.openAnswers.push_back(path);
    p.form.openSingleScript();
    p.settle();
    QVERIFY(p.form.helpShown());
    QVERIFY(page(p.form)->engineText().contains(QStringLiteral("Opened while helping")));

    // This press rebuilds the script page and clears the flag without a probe.
    click(p.form, QStringLiteral("helpButton"));
    QVERIFY(!p.form.helpShown());
    p.settle();
    QVERIFY(page(p.form)->engineText().contains(QStringLiteral("Opened while helping")));
    QCOMPARE(server.connections, 1);

    click(p.form, QStringLiteral("helpButton"));
    QTRY_VERIFY(p.form.helpShown());
    QCOMPARE(server.connections, 2);
}

void ControlStripTest::help_probeKeepsWindowRunning()
{
    StatusServer server("HTTP/1.1 200 OK");
    server.holding = true;
    StatusServer helpServer("HTTP/1.1 200 OK");
    const HelpPageProxy proxy(helpServer);
    Prompter p;
    p.showScript(400);
    auto *probe = widget<ConnectionProbe>(p.form, "connectionProbe");
    probe->setTarget(server.url());
    setSpeed(p.form, 300);
    QSignalSpy ticks(scrollTimer(p.form), &ScrollClock::ticks);

    click(p.form, QStringLiteral("helpButton"));
    QVERIFY(probe->isRunning());
    QTRY_COMPARE(server.connections, 1);
    // The prompter scrolls on while the answer is outstanding.
    QTRY_VERIFY(ticks.size() >= 3);
    QVERIFY(probe->isRunning());
    QVERIFY(page(p.form)->scrollPosition() > 0);

    // Presses during the probe add nothing.
    click(p.form, QStringLiteral("helpButton"));
    click(p.form, QStringLiteral("helpButton"));
    QVERIFY(!p.form.helpShown());
    server.release();
    QTRY_VERIFY(p.form.helpShown());
    QTest::qWait(100);
    QCOMPARE(server.connections, 1);
    QVERIFY(p.form.helpShown());
    QVERIFY(p.dialogs.messages.isEmpty());
}

void ControlStripTest::help_pageLoadKeepsTheBandMoving()
{
    StatusServer server("HTTP/1.1 200 OK");
    StatusServer helpServer("HTTP/1.1 200 OK");
    helpServer.holding = true;
    helpServer.body = "<html><body>The late help page</body></html>";
    const HelpPageProxy proxy(helpServer);
    Prompter p;
    p.showScript(400);
    widget<ConnectionProbe>(p.form, "connectionProbe")->setTarget(server.url());
    setSpeed(p.form, 300);
    QSignalSpy loaded(page(p.form), &HtmlView::documentComplete);

    click(p.form, QStringLiteral("helpButton"));
    QTRY_COMPARE(helpServer.connections, 1);
    // The help page's server has not answered: the script scrolls on.
    const int before = page(p.form)->scrollPosition();
    for (int i = 0; i < 5; ++i)
        tick(p.form);
    QVERIFY(page(p.form)->scrollPosition() > before);
    QVERIFY(loaded.isEmpty());
    // A press during the load does nothing.
    click(p.form, QStringLiteral("helpButton"));
    QVERIFY(page(p.form)->engineText().contains(QStringLiteral("Line 7 of the evening news")));
    QCOMPARE(server.connections, 1);

    helpServer.release();
    QTRY_COMPARE(loaded.size(), 1);
    QVERIFY(page(p.form)->engineText().contains(QStringLiteral("The late help page")));
    QVERIFY(p.form.helpShown());
}

void ControlStripTest::help_lateAnswerLeavesANewerScript()
{
    StatusServer server("HTTP/1.1 200 OK");
    server.holding = true;
    StatusServer helpServer("HTTP/1.1 200 OK");
    const HelpPageProxy proxy(helpServer);
    Prompter p;
    p.showScript(50);
    auto *probe = widget<ConnectionProbe>(p.form, "connectionProbe");
    probe->setTarget(server.url());

    click(p.form, QStringLiteral("helpButton"));
    QTRY_COMPARE(server.connections, 1);
    // Another script comes in before the probe's answer.
    p.form.showEditedScript({QStringLiteral("The newer script")});
    p.settle();
    server.release();
    QTRY_VERIFY(!probe->isRunning());
    QCoreApplication::processEvents();
    QVERIFY(!p.form.helpShown());
    QVERIFY(!page(p.form)->isFetching());
    QCOMPARE(helpServer.connections, 0);
    QVERIFY(page(p.form)->engineText().contains(QStringLiteral("The newer script")));
    QVERIFY(p.dialogs.messages.isEmpty());
}

void ControlStripTest::manyClicks_keepBounds()
{
    Prompter p;
    p.showScript(100);
    const QStringList names = {
        QStringLiteral("fasterButton"),       QStringLiteral("slowerButton"),
        QStringLiteral("coarseFasterButton"), QStringLiteral("coarseSlowerButton"),
        QStringLiteral("reverseButton"),      QStringLiteral("pauseButton")};
    // Long runs of one button drive the values into their bounds.
    QRandomGenerator random(20261209);
    for (int i = 0; i < 600; ++i) {
        const QString name = names.at(int(random.bounded(qsizetype(names.size()))));
        const int run = int(random.bounded(1, 50));
        for (int j = 0; j < run; ++j) {
            auto *b = button(p.form, name);
            QTest::mousePress(b, Qt::LeftButton);
            if (random.bounded(4) == 0)
                Q_EMIT repeatTimer(p.form)->timeout();
            QTest::mouseRelease(b, Qt::LeftButton);
            QVERIFY(p.form.currentSpeed() >= -300 && p.form.currentSpeed() <= 300);
            QVERIFY(stepSlider(p.form)->value() >= 1 && stepSlider(p.form)->value() <= 10);
            QVERIFY(!repeatTimer(p.form)->enabled());
        }
    }
    QCOMPARE(speedSlider(p.form)->value(), p.form.currentSpeed());
}

QTEST_MAIN(ControlStripTest)
#include "tst_controlstrip.moc"
