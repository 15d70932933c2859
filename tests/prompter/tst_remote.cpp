#include "loopbackhttp.h"
#include "prompterfixture.h"

#include "incrementslider.h"
#include "optionsdialog.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "remoteserver.h"
#include "remotewindow.h"
#include "texts.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTcpServer>
#include <QUrl>

#include <tuple>

using namespace texts;

namespace {

// A prompter showing a long script at `speed` and `step`, scrolled a little.
void prepare(Prompter &p, int speed, int step, bool paused)
{
    p.showScript(300);
    widget<IncrementSlider>(p.form, "stepSlider")->setValue(step);
    setSpeed(p.form, speed);
    for (int i = 0; i < 5; ++i)
        tick(p.form);
    if (paused && widget<ScrollClock>(p.form, "scrollTimer")->enabled())
        p.form.perform(OperatorAction::Pause);
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

} // namespace

// The operator's actions as the remote runs them, and the remote control window.
class RemoteTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void perform_doesWhatTheKeyOrButtonDoes_data();
    void perform_doesWhatTheKeyOrButtonDoes();
    void perform_setsWithinBounds_data();
    void perform_setsWithinBounds();
    void remoteWindow_fromTheMenuDrivesTheBand();
    void burstFromAClosingSocket_data();
    void burstFromAClosingSocket();
};

void RemoteTest::perform_doesWhatTheKeyOrButtonDoes_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("key"); // 0: the button is the action's only way in
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("paused");
    const auto row = [](const char *name, OperatorAction action, int key, const char *button,
                        int speed, int step, bool paused) {
        QTest::newRow(name) << int(action) << key << QString::fromLatin1(button) << speed << step
                            << paused;
    };
    row("faster 290", OperatorAction::Faster, Qt::Key_W, "", 290, 1, false);
    row("faster at 300", OperatorAction::Faster, Qt::Key_W, "", 300, 1, false);
    row("faster paused", OperatorAction::Faster, Qt::Key_W, "", 20, 2, true);
    row("slower to 0", OperatorAction::Slower, Qt::Key_S, "", 10, 1, false);
    row("slower at -300", OperatorAction::Slower, Qt::Key_S, "", -300, 3, false);
    row("reverse", OperatorAction::Reverse, Qt::Key_E, "", 40, 1, false);
    row("pause running", OperatorAction::Pause, Qt::Key_Q, "", 50, 1, false);
    row("pause paused", OperatorAction::Pause, Qt::Key_Q, "", 50, 1, true);
    row("top", OperatorAction::Top, Qt::Key_F, "", 100, 4, false);
    row("previous, no queue", OperatorAction::Previous, Qt::Key_A, "", 30, 1, true);
    row("next, no queue", OperatorAction::Next, Qt::Key_D, "", 30, 1, true);
    row("coarse faster 4", OperatorAction::CoarseFaster, 0, "coarseFasterButton", 50, 4, false);
    row("coarse faster 10", OperatorAction::CoarseFaster, 0, "coarseFasterButton", 50, 10, true);
    row("coarse slower 1", OperatorAction::CoarseSlower, 0, "coarseSlowerButton", 50, 1, false);
}

// The same prompter twice: one gets the key or button, the other the action.
void RemoteTest::perform_doesWhatTheKeyOrButtonDoes()
{
    QFETCH(int, action);
    QFETCH(int, key);
    QFETCH(QString, button);
    QFETCH(int, speed);
    QFETCH(int, step);
    QFETCH(bool, paused);
    Prompter byHand;
    Prompter byRemote;
    prepare(byHand, speed, step, paused);
    prepare(byRemote, speed, step, paused);
    QCOMPARE(byHand.form.readout().speed, byRemote.form.readout().speed);
    if (key)
        pressKey(byHand.form, Qt::Key(key));
    else
        QTest::mouseClick(widget<PictureButton>(byHand.form, qPrintable(button)), Qt::LeftButton);
    QSignalSpy changed(&byRemote.form, &PrompterWindow::readoutChanged);
    byRemote.form.perform(OperatorAction(action));
    QVERIFY(!changed.isEmpty());
    const Readout hand = byHand.form.readout();
    const Readout remote = byRemote.form.readout();
    QCOMPARE(remote.speed, hand.speed);
    QCOMPARE(remote.coarse, hand.coarse);
    QCOMPARE(remote.speedValue, hand.speedValue);
    QCOMPARE(remote.step, hand.step);
    QCOMPARE(remote.paused, hand.paused);
    // A running band's position depends on when its own timer ticked, and so
    // do Elapsed and Remaining of one that was running before the action.
    if (hand.paused) {
        QVERIFY(!paused || remote == hand);
        QCOMPARE(page(byRemote.form)->scrollPosition(), page(byHand.form)->scrollPosition());
    }
    const auto timers = [](PrompterWindow &f) {
        const auto *scroll = widget<ScrollClock>(f, "scrollTimer");
        const auto *repeat = widget<PromptTimer>(f, "repeatTimer");
        return std::tuple(scroll->enabled(), scroll->interval(), repeat->enabled(),
                          repeat->interval());
    };
    QVERIFY(timers(byRemote.form) == timers(byHand.form));
}

void RemoteTest::perform_setsWithinBounds_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("speedText");
    QTest::addColumn<QString>("coarseText");
    QTest::newRow("speed 30") << int(OperatorAction::SetSpeed) << 30 << "Speed 30"
                              << "Coarse: 2";
    QTest::newRow("speed 1e9 clamps") << int(OperatorAction::SetSpeed) << 999999999 << "Speed 300"
                                      << "Coarse: 2";
    QTest::newRow("speed -5000 clamps") << int(OperatorAction::SetSpeed) << -5000 << "Speed -300"
                                        << "Coarse: 2";
    QTest::newRow("speed -0 pauses") << int(OperatorAction::SetSpeed) << 0 << "Paused..."
                                     << "Coarse: 2";
    QTest::newRow("step 7") << int(OperatorAction::SetStep) << 7 << "Speed 20"
                            << "Coarse: 7";
    QTest::newRow("step 50 clamps") << int(OperatorAction::SetStep) << 50 << "Speed 20"
                                    << "Coarse: 10";
    QTest::newRow("step -3 clamps") << int(OperatorAction::SetStep) << -3 << "Speed 20"
                                    << "Coarse: 1";
}

void RemoteTest::perform_setsWithinBounds()
{
    QFETCH(int, action);
    QFETCH(int, value);
    QFETCH(QString, speedText);
    QFETCH(QString, coarseText);
    Prompter p;
    prepare(p, 20, 2, false);
    p.form.perform(OperatorAction(action), value);
    QCOMPARE(labelText(p.form, "speedLabel"), speedText);
    QCOMPARE(labelText(p.form, "stepLabel"), coarseText);
    QCOMPARE(p.form.readout().speed, speedText);
    QCOMPARE(p.form.readout().paused, speedText == rsPaused);
}

void RemoteTest::remoteWindow_fromTheMenuDrivesTheBand()
{
    auto p = std::make_unique<Prompter>();
    // Its place in the menu is the menu test's business.
    widget<QAction>(p->form, "remoteAction")->trigger();
    auto *remote = widget<QDialog>(p->form, "remoteWindow");
    QVERIFY(remote->isVisible());
    const quint16 port = freePort();
    widget<QSpinBox>(*remote, "portBox")->setValue(port);
    auto *on = widget<QCheckBox>(*remote, "remoteSwitch");
    on->setChecked(true);
    const QString address = widget<QLabel>(*remote, "addressLabel")->text();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^http://[0-9.]+:%1/\\?k=([0-9a-f]{32})$").arg(port))
            .match(address);
    QVERIFY2(match.hasMatch(), qPrintable(address));
    QVERIFY(!widget<QLabel>(*remote, "qrLabel")->pixmap().isNull());
    const QByteArray key = match.captured(1).toLatin1();
    // It listens on the address it shows and on this machine's own, and says so.
    RemoteServer &server = static_cast<RemoteWindow *>(remote)->server();
    const QString shown = QUrl(address).host();
    QVERIFY(server.addresses().contains(QHostAddress(shown)));
    QVERIFY(server.addresses().contains(QHostAddress(QHostAddress::LocalHost)));
    QVERIFY(!server.addresses().contains(QHostAddress(QHostAddress::Any)));
    QVERIFY(widget<QLabel>(*remote, "listenLabel")->text().contains(shown));

    QCOMPARE(labelText(p->form, "speedLabel"), rsPaused);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(statusOf(exchange(port, get("/api/faster?k=" + key))), 200);
    QCOMPARE(labelText(p->form, "speedLabel"), QStringLiteral("Speed 30"));
    const QByteArray answer = exchange(port, get("/api/pause?k=" + key));
    QCOMPARE(labelText(p->form, "speedLabel"), rsPaused);
    QVERIFY(bodyOf(answer).contains("\"speed\":\"Paused...\""));

    // Off, then on again on a port that another program has taken.
    on->setChecked(false);
    QCOMPARE(statusOf(exchange(port, get("/api/state?k=" + key))), 0);
    auto *everyNetwork = widget<QCheckBox>(*remote, "everyNetworkBox");
    QVERIFY(everyNetwork->isEnabled());
    everyNetwork->setChecked(true);
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, port));
    on->setChecked(true);
    QVERIFY(!on->isChecked());
    QCOMPARE(p->dialogs.messages.size(), 1);
    QVERIFY(p->dialogs.messages.constFirst().contains(QLatin1String("in use")));

    // The port is stored under a name of its own.
    p->form.close();
    QFile store(p->home.storeFile());
    QVERIFY(store.open(QIODevice::ReadOnly));
    const QByteArray stored = store.readAll();
    QVERIFY(stored.contains(
        QStringLiteral("\"RemotePort\"=dword:%1").arg(port, 8, 16, QLatin1Char('0')).toLatin1()));
    QVERIFY(stored.contains("\"RemoteEveryNetwork\"=dword:00000001"));

    // The program ends while the server runs and a client waits: the client sees it closed.
    taken.close();
    on->setChecked(true);
    QVERIFY(on->isChecked());
    QCOMPARE(server.addresses(), QList<QHostAddress>{QHostAddress(QHostAddress::Any)});
    QVERIFY(!everyNetwork->isEnabled());
    std::unique_ptr<QTcpSocket> client(connectTo(port));
    QVERIFY(client->waitForConnected(5000));
    client->write("GET /api/state?k=");
    QTest::qWait(50);
    p.reset();
    QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
}

void RemoteTest::burstFromAClosingSocket_data()
{
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("title"); // the queue's script shown at the end, by number
    QTest::newRow("five faster") << QStringList(5, QStringLiteral("faster")) << "Speed 50"
                                 << "";
    // Each next loads a page; top then scrolls a page that is still loading.
    QTest::newRow("next and top while a page loads")
        << QStringList{QStringLiteral("next"), QStringLiteral("top"), QStringLiteral("next"),
                       QStringLiteral("top"), QStringLiteral("faster")}
        << "Speed 10"
        << "2";
}

// Frames written in one go and the connection closed at once, as a phone
// that goes out of reach does: every action runs, and nothing runs inside the
// socket's signal, where the socket could be deleted under it.
void RemoteTest::burstFromAClosingSocket()
{
    QFETCH(QStringList, messages);
    QFETCH(QString, speed);
    QFETCH(QString, title);
    Prompter p;
    QTemporaryDir dir;
    QByteArray text;
    for (int line = 0; line < 300; ++line)
        text += "A line of the evening news\n";
    QStringList scripts;
    for (int i = 0; i < 3; ++i)
        scripts.append(writeTestFile(dir, QStringLiteral("%1.txt").arg(i), text));
    p.windows.options->setQueueItems(scripts);
    p.form.perform(OperatorAction::Top);
    RemoteServer &server = widget<RemoteWindow>(p.form, "remoteWindow")->server();
    QVERIFY(server.start(0, QHostAddress::LocalHost));
    QByteArray frames;
    for (const QString &message : std::as_const(messages)) {
        // A client's frames are masked; a zero mask leaves the text as it is.
        frames += char(0x81);
        frames += char(0x80 | message.size());
        frames += QByteArray(4, '\0') + message.toLatin1();
    }
    // Twenty rounds: the fault this guards against struck most runs, not all.
    for (int round = 0; round < 20; ++round) {
        if (round > 0) {
            p.form.perform(OperatorAction::SetSpeed, 0);
            p.windows.options->setQueueItems(scripts);
            p.form.perform(OperatorAction::Previous);
            p.form.perform(OperatorAction::Previous);
        }
        std::unique_ptr<QTcpSocket> socket(connectTo(server.port()));
        QVERIFY(socket->waitForConnected(5000));
        socket->write("GET /ws?k=" + server.key() +
                      " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: "
                      "Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                      "Sec-WebSocket-Version: 13\r\nOrigin: http://127.0.0.1:" +
                      QByteArray::number(server.port()) + "\r\n\r\n");
        QTRY_VERIFY(socket->bytesAvailable() > 0 || socket->waitForReadyRead(10));
        QTRY_COMPARE(server.webSocketCount(), 1);
        socket->write(frames);
        socket->disconnectFromHost();
        QTRY_COMPARE(server.webSocketCount(), 0);
        QTRY_COMPARE(labelText(p.form, "speedLabel"), speed);
        if (!title.isEmpty())
            QCOMPARE(labelText(p.form, "scriptLabel"), scripts.at(title.toInt()));
    }
    QVERIFY(server.isRunning());
}

QTEST_MAIN(RemoteTest)
#include "tst_remote.moc"
