#include "x11connection.h"

#include <QTest>
#include <QThread>

#include <xcb/xcb.h>

class ServerFenceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A fence passes only once the X server has handled what came before it:
    // it holds while another client has the server to itself, and passes
    // soon after that client lets go.
    void passesOnlyOnceTheServerAnswers()
    {
        QVERIFY(x11Connection());
        xcb_connection_t *other = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(other));
        xcb_grab_server(other);
        std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));

        ServerFence fence;
        // No event processing here: Qt's own round trips would wait on the grab too.
        for (int i = 0; i < 20; ++i) {
            QVERIFY2(!fence.passed(), "passed while the server served another client only");
            QThread::msleep(10);
        }
        xcb_ungrab_server(other);
        xcb_flush(other);
        bool passed = false;
        for (int i = 0; i < 500 && !passed; ++i) {
            passed = fence.passed();
            QThread::msleep(10);
        }
        QVERIFY(passed);
        QVERIFY(fence.passed()); // and stays passed
        xcb_disconnect(other);
    }
};

QTEST_MAIN(ServerFenceTest)
#include "tst_serverfence.moc"
