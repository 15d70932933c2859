#include "desktopkeys.h"
#include "operatorkeys.h"
#include "registrystore.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Another program on the same display, holding or trying to hold keys.
class OtherClient
{
public:
    OtherClient() : m_connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        m_root = screens.data->root;
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    // True when the grab succeeded; it is kept until ungrab() or the end.
    bool grab(quint8 keycode, quint16 mask)
    {
        xcb_generic_error_t *error = xcb_request_check(
            m_connection, xcb_grab_key_checked(m_connection, 1, m_root, mask, keycode,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }
    void ungrab(quint8 keycode, quint16 mask)
    {
        xcb_request_check(m_connection,
                          xcb_ungrab_key_checked(m_connection, keycode, m_root, mask));
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
};

KeyChord chord(const QString &name)
{
    const auto made = KeyChord::fromPortableName(name);
    return made ? *made : KeyChord{};
}

bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}

} // namespace

class DesktopKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(DesktopKeys::supported()); }

    // Key codes of the X server's standard keyboard (evdev).
    void grab_takesTheKeyFromOtherPrograms_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("keycode");
        QTest::addColumn<int>("mask");
        QTest::newRow("PgDown") << "PgDown" << 117 << 0;
        QTest::newRow("F5") << "F5" << 71 << 0;
        QTest::newRow("B") << "B" << 56 << 0;
        QTest::newRow("Ctrl+1") << "Ctrl+1" << 10 << int(XCB_MOD_MASK_CONTROL);
        QTest::newRow("with Num Lock on") << "PgDown" << 117 << int(XCB_MOD_MASK_2);
        QTest::newRow("with Caps Lock on") << "B" << 56 << int(XCB_MOD_MASK_LOCK);
    }

    void grab_takesTheKeyFromOtherPrograms()
    {
        QFETCH(QString, name);
        QFETCH(int, keycode);
        QFETCH(int, mask);
        DesktopKeys keys;
        OtherClient other;
        QCOMPARE(keys.grab({chord(name)}), std::nullopt);
        QVERIFY(keys.active());
        QVERIFY(!other.grab(quint8(keycode), quint16(mask)));
        keys.release();
        QVERIFY(!keys.active());
        QVERIFY(other.grab(quint8(keycode), quint16(mask)));
    }

    // A key another program holds: a message naming it, and nothing grabbed.
    void grab_heldElsewhere_grabsNothing()
    {
        OtherClient other;
        QVERIFY(other.grab(71, 0)); // F5
        DesktopKeys keys;
        const auto problem = keys.grab({chord(u"PgDown"_s), chord(u"F5"_s)});
        QVERIFY(problem);
        QVERIFY2(problem->contains(u"F5 is already taken by another program"_s),
                 qPrintable(*problem));
        QVERIFY(!keys.active());
        QVERIFY(other.grab(117, 0)); // PgDown was let go again
        other.ungrab(71, 0);
        QCOMPARE(keys.grab({chord(u"F5"_s)}), std::nullopt);
    }

    void grab_keyTheKeyboardLacks_grabsNothing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("named");
        QTest::newRow("F35") << int(Qt::Key_F35) << "F35";
        QTest::newRow("Cyrillic letter") << int(U'Ж') << "Ж";
    }

    void grab_keyTheKeyboardLacks_grabsNothing()
    {
        QFETCH(int, key);
        QFETCH(QString, named);
        DesktopKeys keys;
        const auto problem = keys.grab({chord(u"PgDown"_s), *KeyChord::make(key)});
        QVERIFY(problem);
        QVERIFY2(problem->contains(u"No key of this keyboard sends "_s + named),
                 qPrintable(*problem));
        QVERIFY(!keys.active());
        OtherClient other;
        QVERIFY(other.grab(117, 0));
    }

    // The stored option at start: the keys taken, or a message and the option stored off.
    void start_takesTheStoredKeys_data()
    {
        QTest::addColumn<QString>("bindings");
        QTest::addColumn<bool>("heldElsewhere");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<bool>("on");
        QTest::newRow("taken") << "F5=pause" << false << "" << true;
        QTest::newRow("held elsewhere")
            << "F5=pause" << true << "F5 is already taken by another program" << false;
        QTest::newRow("stored map unusable")
            << "F5=dance" << false << "The stored keys cannot be used" << false;
    }

    void start_takesTheStoredKeys()
    {
        QFETCH(QString, bindings);
        QFETCH(bool, heldElsewhere);
        QFETCH(QString, problem);
        QFETCH(bool, on);
        QTemporaryDir dir;
        RegistryStore store(u"software\\morvane\\tavrix"_s, dir.filePath(u"user.reg"_s));
        store.writeString(u"Form1\\KeyBindings"_s, bindings);
        store.writeInteger(u"Form1\\KeysDesktopWide"_s, 1);
        OtherClient other;
        if (heldElsewhere)
            QVERIFY(other.grab(71, 0));
        OperatorKeys keys(store, u"Form1"_s);
        const QStringList problems = keys.start();
        QCOMPARE(problems.size(), problem.isEmpty() ? 0 : 1);
        if (!problem.isEmpty())
            QVERIFY2(problems.first().contains(problem), qPrintable(problems.first()));
        QCOMPARE(keys.desktopWide(), on);
        QCOMPARE(!other.grab(71, 0), on);
        QCOMPARE(store.readInteger(u"Form1\\KeysDesktopWide"_s, -1), heldElsewhere ? 0 : 1);
        // A refused grab in the keys window turns the option off, stored so.
        if (on) {
            OtherClient holder;
            QVERIFY(holder.grab(117, 0));
            QVERIFY(keys.grab({*KeyChord::fromPortableName(u"PgDown"_s)}));
            QVERIFY(!keys.desktopWide());
            QCOMPARE(store.readInteger(u"Form1\\KeysDesktopWide"_s, -1), 0);
            QVERIFY(other.grab(71, 0));
            other.ungrab(71, 0);
            QCOMPARE(keys.grab({*KeyChord::fromPortableName(u"F5"_s)}), std::nullopt);
        }
        // Turned off in the keys window, the desktop has its key back.
        keys.apply(keys.map(), false);
        QVERIFY(other.grab(71, 0));
        QCOMPARE(store.readInteger(u"Form1\\KeysDesktopWide"_s, -1), 0);
    }

    // A grabbed key pressed while another window (here: none of ours) has the focus.
    void pressed_reportsTheChord_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Page Down") << "Next"
                                   << "PgDown";
        QTest::newRow("F5") << "F5"
                            << "F5";
        QTest::newRow("Ctrl+1") << "ctrl+1"
                                << "Ctrl+1";
    }

    void pressed_reportsTheChord()
    {
        QFETCH(QString, sent);
        QFETCH(QString, expected);
        DesktopKeys keys;
        QCOMPARE(keys.grab({chord(u"PgDown"_s), chord(u"F5"_s), chord(u"Ctrl+1"_s)}), std::nullopt);
        QSignalSpy spy(&keys, &DesktopKeys::pressed);
        QVERIFY(xdotool({u"key"_s, sent}));
        QVERIFY(spy.wait(10000));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).value<KeyChord>(), chord(expected));
    }
};

QTEST_MAIN(DesktopKeysTest)
#include "tst_desktopkeys.moc"
