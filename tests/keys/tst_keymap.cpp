#include "keymap.h"
#include "keymapstore.h"
#include "latinkeys.h"
#include "registrystore.h"
#include "xkeysym.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kRoot = u"software\\morvane\\tavrix"_s;
const QString kSection = u"Form1"_s;

// What a binding does, as one word the rows can name: "" applies the speed.
QString effect(const KeyMap &map, const KeyChord &chord)
{
    const KeyMap::Meaning meaning = map.meaning(chord);
    return meaning.binding ? meaning.binding->name() : QString();
}

KeyChord chord(int key, Qt::KeyboardModifiers modifiers = {})
{
    const auto made = KeyChord::make(key, modifiers);
    return made ? *made : KeyChord{};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

using Bindings = QList<std::pair<QString, QString>>; // key name, binding name

KeyMap mapOf(const Bindings &bindings)
{
    KeyMap map;
    for (const auto &[key, binding] : bindings)
        map.bind(*KeyChord::fromPortableName(key), *KeyBinding::fromName(binding));
    return map;
}

} // namespace

Q_DECLARE_METATYPE(Bindings)

class KeyMapTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The default map does what the band's keys have always done, key by key,
    // as the page reports them (letters by their place on the keyboard).
    void defaults_actAsTheBandAlwaysDid_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("scanCode");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        const int none = 0;
        const int shift = int(Qt::ShiftModifier);
        const int ctrl = int(Qt::ControlModifier);
        QTest::newRow("w") << int(Qt::Key_W) << "w" << 25u << none << "faster";
        QTest::newRow("Shift+W") << int(Qt::Key_W) << "W" << 25u << shift << "faster";
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << "\x17" << 25u << ctrl << "faster";
        QTest::newRow("s") << int(Qt::Key_S) << "s" << 39u << none << "slower";
        QTest::newRow("q") << int(Qt::Key_Q) << "q" << 24u << none << "pause";
        QTest::newRow("e") << int(Qt::Key_E) << "e" << 26u << none << "reverse";
        QTest::newRow("d") << int(Qt::Key_D) << "d" << 40u << none << "next";
        QTest::newRow("a") << int(Qt::Key_A) << "a" << 38u << none << "previous";
        QTest::newRow("f") << int(Qt::Key_F) << "f" << 41u << none << "top";
        QTest::newRow("Ctrl+Shift+F") << int(Qt::Key_F) << "" << 41u << (ctrl | shift) << "top";
        QTest::newRow("ru ц is W") << int(U'Ц') << "ц" << 25u << none << "faster";
        QTest::newRow("ru ы is S") << int(U'Ы') << "ы" << 39u << none << "slower";
        QTest::newRow("ru й is Q") << int(U'Й') << "й" << 24u << none << "pause";
        QTest::newRow("ru х applies") << int(U'Х') << "х" << 34u << none << "";
        QTest::newRow("azerty A") << int(Qt::Key_A) << "a" << 24u << none << "previous";
        QTest::newRow("azerty Z applies") << int(Qt::Key_Z) << "z" << 25u << none << "";
        QTest::newRow("tab applies") << int(Qt::Key_Tab) << "\t" << 23u << none << "";
        QTest::newRow("space applies") << int(Qt::Key_Space) << " " << 65u << none << "";
        QTest::newRow("down applies") << int(Qt::Key_Down) << "" << 116u << none << "";
        QTest::newRow("page down applies") << int(Qt::Key_PageDown) << "" << 117u << none << "";
        QTest::newRow("home applies") << int(Qt::Key_Home) << "" << 110u << none << "";
        QTest::newRow("end applies") << int(Qt::Key_End) << "" << 115u << none << "";
        QTest::newRow("digit applies") << int(Qt::Key_1) << "1" << 10u << none << "";
        QTest::newRow("B applies") << int(Qt::Key_B) << "b" << 56u << none << "";
        QTest::newRow("F5 applies") << int(Qt::Key_F5) << "" << 71u << none << "";
    }

    void defaults_actAsTheBandAlwaysDid()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(uint, scanCode);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        const int placed = latinLetterKey(key, text, scanCode);
        const KeyMap map;
        const KeyChord pressed{placed, Qt::KeyboardModifiers(modifiers)};
        QCOMPARE(effect(map, pressed), expected);
        QCOMPARE(map.meaning(pressed).source,
                 expected.isEmpty() ? KeyMap::Source::None : KeyMap::Source::Default);
    }

    // The operator's binding of the exact chord comes first; what it does not
    // bind keeps its old meaning.
    void bindings_comeBeforeTheDefaults_data()
    {
        QTest::addColumn<Bindings>("bindings");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<KeyMap::Source>("source");
        const Bindings clicker{{u"PgDown"_s, u"faster"_s},
                               {u"W"_s, u"pause"_s},
                               {u"Ctrl+1"_s, u"preset:1"_s},
                               {u"Space"_s, u"speed:120"_s}};
        QTest::newRow("bound page key") << clicker << "PgDown"
                                        << "faster" << KeyMap::Source::Operator;
        QTest::newRow("bound letter replaces W") << clicker << "W"
                                                 << "pause" << KeyMap::Source::Operator;
        QTest::newRow("Shift+W keeps the default") << clicker << "Shift+W"
                                                   << "faster" << KeyMap::Source::Default;
        QTest::newRow("Ctrl+1 bound") << clicker << "Ctrl+1"
                                      << "preset:1" << KeyMap::Source::Operator;
        QTest::newRow("1 alone applies") << clicker << "1"
                                         << "" << KeyMap::Source::None;
        QTest::newRow("space set speed") << clicker << "Space"
                                         << "speed:120" << KeyMap::Source::Operator;
        QTest::newRow("PgUp still applies") << clicker << "PgUp"
                                            << "" << KeyMap::Source::None;
        QTest::newRow("S untouched") << clicker << "S"
                                     << "slower" << KeyMap::Source::Default;
    }

    void bindings_comeBeforeTheDefaults()
    {
        QFETCH(Bindings, bindings);
        QFETCH(QString, pressed);
        QFETCH(QString, expected);
        QFETCH(KeyMap::Source, source);
        const KeyMap map = mapOf(bindings);
        const auto key = KeyChord::fromPortableName(pressed);
        QVERIFY(key);
        QCOMPARE(effect(map, *key), expected);
        QCOMPARE(map.meaning(*key).source, source);
    }

    // Every preset binds exactly its keys, and says which keys it took over.
    void presets_bindTheirKeys_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<Bindings>("expected");
        QTest::addColumn<int>("takenOver");
        QTest::newRow("presenter clicker")
            << int(KeyPreset::PresenterClicker)
            << Bindings{{u"PgDown"_s, u"faster"_s}, {u"PgUp"_s, u"slower"_s}, {u"F5"_s, u"pause"_s},
                        {u"Esc"_s, u"pause"_s},     {u"."_s, u"pause"_s},     {u"B"_s, u"pause"_s},
                        {u"Left"_s, u""_s},         {u"Down"_s, u""_s}}
            << 0;
        // A was "previous script": the pedal takes it over and says so.
        QTest::newRow("foot pedal a/b/c")
            << int(KeyPreset::FootPedalLetters)
            << Bindings{{u"A"_s, u"slower"_s}, {u"B"_s, u"pause"_s}, {u"C"_s, u"faster"_s}} << 1;
        QTest::newRow("foot pedal F14-F16")
            << int(KeyPreset::FootPedalFunction)
            << Bindings{{u"F14"_s, u"slower"_s},        {u"F15"_s, u"pause"_s},
                        {u"F16"_s, u"faster"_s},        {u"Launch (5)"_s, u"slower"_s},
                        {u"Launch (7)"_s, u"faster"_s}, {u"F13"_s, u""_s}}
            << 0;
        QTest::newRow("number keys") << int(KeyPreset::NumberKeys)
                                     << Bindings{{u"1"_s, u"preset:1"_s},
                                                 {u"5"_s, u"preset:5"_s},
                                                 {u"9"_s, u"preset:9"_s},
                                                 {u"0"_s, u""_s}}
                                     << 0;
        QTest::newRow("markers") << int(KeyPreset::Markers)
                                 << Bindings{{u"Ctrl+Down"_s, u"next-marker"_s},
                                             {u"Ctrl+Up"_s, u"previous-marker"_s},
                                             {u"Down"_s, u""_s}}
                                 << 0;
    }

    void presets_bindTheirKeys()
    {
        QFETCH(int, preset);
        QFETCH(Bindings, expected);
        QFETCH(int, takenOver);
        KeyMap map;
        const QStringList taken = map.addPreset(KeyPreset(preset));
        QCOMPARE(taken.size(), takenOver);
        for (const auto &[key, binding] : expected)
            QCOMPARE(effect(map, *KeyChord::fromPortableName(key)), binding);
        QCOMPARE(map.bindingCount(), int(keyPresetBindings(KeyPreset(preset)).size()));
        // Added twice, a preset takes nothing from itself.
        QVERIFY(map.addPreset(KeyPreset(preset)).isEmpty());
    }

    void numberKeys_setTheEditablePresetSpeeds()
    {
        KeyMap map;
        map.addPreset(KeyPreset::NumberKeys);
        for (int n = 1; n <= 9; ++n) {
            const auto binding = map.meaning(chord(Qt::Key_0 + n)).binding;
            QVERIFY(binding);
            QCOMPARE(map.operatorAction(*binding), std::pair(OperatorAction::SetSpeed, 30 * n));
        }
        map.setSpeedPreset(3, 125);
        map.setSpeedPreset(4, 5000);
        QCOMPARE(map.operatorAction(*map.meaning(chord(Qt::Key_3)).binding)->second, 125);
        QCOMPARE(map.operatorAction(*map.meaning(chord(Qt::Key_4)).binding)->second, 300);
        QCOMPARE(map.operatorAction(KeyBinding::followVoice()), std::nullopt);
        map.restoreDefaults();
        QCOMPARE(map, KeyMap());
        QCOMPARE(map.speedPreset(3), 90);
    }

    void conflicts_nameWhatTheKeyDoes_data()
    {
        QTest::addColumn<Bindings>("bindings");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("binding");
        QTest::addColumn<QString>("expected");
        const Bindings some{{u"PgDown"_s, u"slower"_s}, {u"1"_s, u"preset:1"_s}};
        QTest::newRow("operator's") << some << "PgDown"
                                    << "faster"
                                    << "PgDown is already bound to Slower.";
        QTest::newRow("default letter") << some << "W"
                                        << "pause"
                                        << "W is already bound to Faster.";
        QTest::newRow("default letter with Ctrl") << some << "Ctrl+Q"
                                                  << "faster"
                                                  << "Ctrl+Q is already bound to Pause / resume.";
        QTest::newRow("preset names its speed") << some << "1"
                                                << "pause"
                                                << "1 is already bound to Speed preset 1 (30).";
        QTest::newRow("same binding") << some << "PgDown"
                                      << "slower"
                                      << "";
        QTest::newRow("free key") << some << "F13"
                                  << "pause"
                                  << "";
        QTest::newRow("W to faster again") << some << "W"
                                           << "faster"
                                           << "";
    }

    void conflicts_nameWhatTheKeyDoes()
    {
        QFETCH(Bindings, bindings);
        QFETCH(QString, key);
        QFETCH(QString, binding);
        QFETCH(QString, expected);
        const KeyMap map = mapOf(bindings);
        const auto clash =
            map.conflict(*KeyChord::fromPortableName(key), *KeyBinding::fromName(binding));
        QCOMPARE(clash.value_or(QString()), expected);
    }

    // Modifiers alone and codes without a name cannot be bound; the keypad
    // flag does not split a digit in two.
    void chords_refuseWhatCannotBeBound_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << "";
        QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock) << 0 << "";
        QTest::newRow("unknown") << int(Qt::Key_unknown) << 0 << "";
        QTest::newRow("zero") << 0 << 0 << "";
        QTest::newRow("bare key code") << 0x01001234 << 0 << "";
        QTest::newRow("keypad 1") << int(Qt::Key_1) << int(Qt::KeypadModifier) << "1";
        QTest::newRow("Ctrl+keypad 1")
            << int(Qt::Key_1) << int(Qt::KeypadModifier | Qt::ControlModifier) << "Ctrl+1";
        QTest::newRow("F24") << int(Qt::Key_F24) << 0 << "F24";
        QTest::newRow("period") << int(Qt::Key_Period) << 0 << ".";
        QTest::newRow("Cyrillic letter") << int(U'Х') << 0 << "Х";
        QTest::newRow("Meta+Alt+Shift+Ctrl+Home")
            << int(Qt::Key_Home)
            << int(Qt::MetaModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::ControlModifier)
            << "Meta+Ctrl+Alt+Shift+Home";
    }

    void chords_refuseWhatCannotBeBound()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, expected);
        const auto made = KeyChord::make(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(made ? made->portableName() : QString(), expected);
        if (made)
            QCOMPARE(KeyChord::fromPortableName(expected), made);
    }

    // Every key a keyboard has, bound at once, with and without Ctrl.
    void everyKey_bindsAndRoundTrips()
    {
        KeyMap map;
        QList<int> keys;
        // The toolkit names letters by their capitals only: no key arrives as 'a'.
        for (int key = Qt::Key_Space; key <= Qt::Key_AsciiTilde; ++key)
            if (key < 'a' || key > 'z')
                keys.append(key);
        for (int key = Qt::Key_F1; key <= Qt::Key_F35; ++key)
            keys.append(key);
        keys << Qt::Key_Escape << Qt::Key_Tab << Qt::Key_Backspace << Qt::Key_Return
             << Qt::Key_Enter << Qt::Key_Insert << Qt::Key_Delete << Qt::Key_Pause << Qt::Key_Print
             << Qt::Key_Home << Qt::Key_End << Qt::Key_Left << Qt::Key_Up << Qt::Key_Right
             << Qt::Key_Down << Qt::Key_PageUp << Qt::Key_PageDown << Qt::Key_Menu
             << Qt::Key_MediaPlay << Qt::Key_VolumeUp;
        int bound = 0;
        for (const int key : keys) {
            for (const auto modifiers :
                 {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
                const auto made = KeyChord::make(key, modifiers);
                QVERIFY2(made, qPrintable(QString::number(key, 16)));
                QVERIFY(map.bind(*made, KeyBinding::of(OperatorAction::Pause)));
                ++bound;
            }
        }
        QCOMPARE(map.bindingCount(), bound);
        KeyMap read;
        QCOMPARE(KeyMapStore::parseBindings(KeyMapStore::bindingsText(map), read), QString());
        QCOMPARE(read, map);
    }

    void bindings_areBounded()
    {
        KeyMap map;
        int refused = 0;
        for (int i = 0; i < 10000; ++i) {
            const KeyChord key{0x4e00 + i, {}};
            if (!map.bind(key, KeyBinding::of(OperatorAction::Faster)))
                ++refused;
        }
        QCOMPARE(map.bindingCount(), KeyMap::kMaxBindings);
        QCOMPARE(refused, 10000 - KeyMap::kMaxBindings);
        // A key already bound can still be bound anew when the map is full.
        QVERIFY(map.bind(KeyChord{0x4e00, {}}, KeyBinding::of(OperatorAction::Pause)));
        QCOMPARE(effect(map, KeyChord{0x4e00, {}}), u"pause"_s);
    }

    void store_roundTrips_data()
    {
        QTest::addColumn<Bindings>("bindings");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << Bindings{} << "";
        QTest::newRow("clicker") << Bindings{{u"PgDown"_s, u"faster"_s}, {u"PgUp"_s, u"slower"_s}}
                                 << "PgUp=slower;PgDown=faster";
        QTest::newRow("names with separators") << Bindings{{u";"_s, u"pause"_s},
                                                           {u"="_s, u"top"_s},
                                                           {u"%"_s, u"next"_s},
                                                           {u"Ctrl+,"_s, u"reverse"_s}}
                                               << "%25=next;Ctrl+%2C=reverse;%3B=pause;%3D=top";
        QTest::newRow("values and switches")
            << Bindings{{u"F13"_s, u"speed:-120"_s},
                        {u"F14"_s, u"step:4"_s},
                        {u"F15"_s, u"follow-voice"_s},
                        {u"F16"_s, u"talent-screen"_s},
                        {u"Ctrl+9"_s, u"preset:9"_s}}
            << "Ctrl+9=preset:9;F13=speed:-120;F14=step:4;F15=follow-voice;F16=talent-screen";
        QTest::newRow("blank names")
            << Bindings{{u"Media Play"_s, u"pause"_s}} << "Media%20Play=pause";
    }

    void store_roundTrips()
    {
        QFETCH(Bindings, bindings);
        QFETCH(QString, text);
        KeyMap map = mapOf(bindings);
        map.setSpeedPreset(2, -45);
        QCOMPARE(KeyMapStore::bindingsText(map), text);

        QTemporaryDir dir;
        const QString file = dir.filePath(u"user.reg"_s);
        {
            RegistryStore store(kRoot, file);
            KeyMapStore keys(store, kSection);
            keys.save(map);
        }
        RegistryStore store(kRoot, file);
        const KeyMapStore::Loaded loaded = KeyMapStore(store, kSection).load();
        QCOMPARE(loaded.problem, QString());
        QCOMPARE(loaded.map, map);
        QCOMPARE(loaded.map.speedPreset(2), -45);
    }

    // An older release's file keeps every byte; only the new values are added.
    void store_keepsAnOlderFileAsItWas()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"user.reg"_s);
        const QByteArray older = "Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                                 "\"FormVersion\"=dword:00000000\r\n"
                                 "\"NormPos\"=\"0,0,1920,250\"\r\n"
                                 "\"Speedmod\"=dword:00000003\r\n"
                                 "; a comment an older release left\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form4]\r\n"
                                 "\"Capitalize\"=dword:00000001\r\n\r\n";
        QVERIFY(writeAll(file, older));
        RegistryStore store(kRoot, file);
        KeyMapStore keys(store, kSection);
        KeyMap map;
        map.addPreset(KeyPreset::FootPedalFunction);
        keys.save(map);
        keys.setDesktopWide(true);
        const QByteArray now = readAll(file);
        QByteArray expected = older;
        expected.insert(
            expected.indexOf("\r\n\r\n[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form4]") + 2,
            "\"KeyBindings\"=\"F14=slower;F15=pause;F16=faster;Launch%20(5)=slower;"
            "Launch%20(6)=pause;Launch%20(7)=faster\"\r\n"
            "\"KeySpeedPresets\"=\"30,60,90,120,150,180,210,240,270\"\r\n"
            "\"KeysDesktopWide\"=dword:00000001\r\n");
        QCOMPARE(now, expected);
        QVERIFY(keys.desktopWide());
    }

    // A stored map this program would never write leaves the defaults in use
    // and says why; nothing of it is half applied.
    void store_corruptMapFallsBackToDefaults_data()
    {
        QTest::addColumn<QString>("bindings");
        QTest::addColumn<QString>("presets");
        QTest::addColumn<QString>("problem");
        QTest::newRow("unknown action") << "PgDown=faster;F5=dance"
                                        << ""
                                        << "\"dance\" is not an action";
        QTest::newRow("action missing its number") << "F5=speed"
                                                   << ""
                                                   << "\"speed\" is not an action";
        QTest::newRow("number on an action without one") << "F5=faster:3"
                                                         << ""
                                                         << "\"faster:3\" is not an action";
        QTest::newRow("no separator") << "PgDown"
                                      << ""
                                      << "\"PgDown\" names no action";
        QTest::newRow("not a key") << "Bogus+Key=faster"
                                   << ""
                                   << "\"Bogus+Key\" is not a key";
        QTest::newRow("two keys in one") << "A%2C B=faster"
                                         << ""
                                         << "\"A%2C B\" is not a key";
        QTest::newRow("modifier alone") << "Shift=faster"
                                        << ""
                                        << "\"Shift\" is not a key";
        QTest::newRow("bound twice") << "F5=pause;F5=faster"
                                     << ""
                                     << "F5 is bound twice";
        QTest::newRow("presets short") << "F5=pause"
                                       << "1,2,3"
                                       << "the speed presets are not nine numbers";
        QString many;
        for (int i = 0; i < 10000; ++i)
            many += u"F13=pause;"_s;
        QTest::newRow("10,000 bindings") << many << ""
                                         << "it holds more than 4096 keys";
    }

    void store_corruptMapFallsBackToDefaults()
    {
        QFETCH(QString, bindings);
        QFETCH(QString, presets);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"user.reg"_s);
        RegistryStore store(kRoot, file);
        store.writeString(kSection + u"\\KeyBindings"_s, bindings);
        store.writeString(kSection + u"\\KeySpeedPresets"_s, presets);
        const QByteArray before = readAll(file);
        const KeyMapStore::Loaded loaded = KeyMapStore(store, kSection).load();
        QVERIFY2(loaded.problem.contains(problem), qPrintable(loaded.problem));
        QCOMPARE(loaded.map, KeyMap());
        QCOMPARE(effect(loaded.map, chord(Qt::Key_W)), u"faster"_s);
        // Reading never writes: the operator's file stays for them to look at.
        QCOMPARE(readAll(file), before);
    }

    void keysyms_forGrabbing_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("A") << int(Qt::Key_A) << qint64(0x61);
        QTest::newRow("F5") << int(Qt::Key_F5) << qint64(0xffc2);
        QTest::newRow("F14") << int(Qt::Key_F14) << qint64(0xffcb);
        QTest::newRow("PgDown") << int(Qt::Key_PageDown) << qint64(0xff56);
        QTest::newRow("Esc") << int(Qt::Key_Escape) << qint64(0xff1b);
        QTest::newRow("pedal's F14 as X names it") << int(Qt::Key_Launch5) << qint64(0x1008ff45);
        QTest::newRow("Cyrillic has none here") << int(U'Ж') << qint64(-1);
    }

    void keysyms_forGrabbing()
    {
        QFETCH(int, key);
        QFETCH(qint64, expected);
        const auto keysym = xKeysymForKey(key);
        QCOMPARE(keysym ? qint64(*keysym) : qint64(-1), expected);
    }
};

QTEST_MAIN(KeyMapTest)
#include "tst_keymap.moc"
