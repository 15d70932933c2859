#include "keysdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

// The keys window, driven by its controls' object names.
class KeysDialogTest : public QObject
{
    Q_OBJECT

    template <typename T> static T *child(QObject *dialog, const QString &name)
    {
        T *found = dialog->findChild<T *>(name);
        if (!found)
            qFatal("no child %s", qPrintable(name));
        return found;
    }

    static void press(KeysDialog &dialog, int key, Qt::KeyboardModifiers modifiers,
                      const QString &text = {}, quint32 scanCode = 0)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
        QCoreApplication::sendEvent(child<QWidget>(&dialog, u"keyField"_s), &event);
    }

    static void chooseAction(KeysDialog &dialog, const KeyBinding &binding)
    {
        child<QComboBox>(&dialog, u"actionBox"_s)
            ->setCurrentIndex(int(KeyBinding::offered().indexOf(binding)));
    }

    static int rowOf(KeysDialog &dialog, const QString &keyName)
    {
        auto *table = child<QTableWidget>(&dialog, u"bindingTable"_s);
        for (int row = 0; row < table->rowCount(); ++row)
            if (table->item(row, 0)->text() == keyName)
                return row;
        return -1;
    }

    static QString message(KeysDialog &dialog)
    {
        return child<QLabel>(&dialog, u"messageLabel"_s)->text();
    }

    static QString effect(const KeyMap &map, const QString &key)
    {
        const auto binding = map.meaning(*KeyChord::fromPortableName(key)).binding;
        return binding ? binding->name() : QString();
    }

private Q_SLOTS:
    // Bind a key by pressing it: what it binds, or why it does not.
    void pressToBind_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("scanCode");
        QTest::addColumn<QString>("boundKey"); // empty: nothing bound yet
        QTest::addColumn<QString>("said");
        QTest::newRow("F13") << "faster" << int(Qt::Key_F13) << 0 << "" << 0u << "F13"
                             << "F13 now: Faster.";
        QTest::newRow("Escape stays in the window")
            << "pause" << int(Qt::Key_Escape) << 0 << "\x1b" << 9u << "Esc"
            << "Esc now: Pause / resume.";
        QTest::newRow("Tab is a key, not a way out")
            << "next" << int(Qt::Key_Tab) << 0 << "\t" << 23u << "Tab"
            << "Tab now: Next script.";
        QTest::newRow("Ctrl+1 for a preset")
            << "preset:4" << int(Qt::Key_1) << int(Qt::ControlModifier) << "" << 10u << "Ctrl+1"
            << "Ctrl+1 now: Speed preset 4 (120).";
        QTest::newRow("modifier alone waits")
            << "faster" << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << "" << 50u << ""
            << "Press the key for Faster.";
        QTest::newRow("no name") << "faster" << 0x01001234 << 0 << "" << 0u << ""
                                 << "That key has no name of its own, so it cannot be bound.";
        QTest::newRow("built-in letter asks first")
            << "pause" << int(Qt::Key_W) << 0 << "w" << 25u << ""
            << "W is already bound to Faster. Replace binds it to Pause / resume instead.";
        QTest::newRow("Cyrillic letter by its place")
            << "next" << int(U'Ц') << 0 << "ц" << 25u << ""
            << "W is already bound to Faster. Replace binds it to Next script instead.";
    }

    void pressToBind()
    {
        QFETCH(QString, action);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(uint, scanCode);
        QFETCH(QString, boundKey);
        QFETCH(QString, said);
        KeysDialog dialog;
        dialog.show();
        chooseAction(dialog, *KeyBinding::fromName(action));
        QTest::mouseClick(child<QPushButton>(&dialog, u"bindButton"_s), Qt::LeftButton);
        press(dialog, key, Qt::KeyboardModifiers(modifiers), text, scanCode);
        QVERIFY(dialog.isVisible());
        QCOMPARE(message(dialog), said);
        if (!boundKey.isEmpty()) {
            QCOMPARE(effect(dialog.keyMap(), boundKey), action);
            QVERIFY(rowOf(dialog, boundKey) >= 0);
        } else {
            QCOMPARE(dialog.keyMap().bindingCount(), 0);
        }
    }

    void replace_bindsATakenKey()
    {
        KeysDialog dialog;
        dialog.show();
        auto *replace = child<QPushButton>(&dialog, u"replaceButton"_s);
        chooseAction(dialog, KeyBinding::of(OperatorAction::Pause));
        QTest::mouseClick(child<QPushButton>(&dialog, u"bindButton"_s), Qt::LeftButton);
        press(dialog, Qt::Key_W, {}, u"w"_s, 25);
        QVERIFY(replace->isEnabled());
        QCOMPARE(effect(dialog.keyMap(), u"W"_s), u"faster"_s);
        QTest::mouseClick(replace, Qt::LeftButton);
        QCOMPARE(effect(dialog.keyMap(), u"W"_s), u"pause"_s);
        QVERIFY(!replace->isEnabled());
        QCOMPARE(message(dialog), u"W now: Pause / resume."_s);
    }

    // The presenter clicker in one click; then remove a key, then all.
    void presets_removeAndRestore()
    {
        KeysDialog dialog;
        dialog.show();
        QTest::mouseClick(child<QPushButton>(&dialog, u"clickerPresetButton"_s), Qt::LeftButton);
        QCOMPARE(effect(dialog.keyMap(), u"PgDown"_s), u"faster"_s);
        QCOMPARE(effect(dialog.keyMap(), u"F5"_s), u"pause"_s);
        QCOMPARE(message(dialog), u"Presenter clicker: added."_s);
        QTest::mouseClick(child<QPushButton>(&dialog, u"pedalLettersPresetButton"_s),
                          Qt::LeftButton);
        QCOMPARE(message(dialog), u"Foot pedal a/b/c: added. A was Previous script; now Slower."_s);

        auto *table = child<QTableWidget>(&dialog, u"bindingTable"_s);
        auto *remove = child<QPushButton>(&dialog, u"removeButton"_s);
        // A built-in key cannot be removed, only bound anew.
        table->selectRow(rowOf(dialog, u"S"_s));
        QVERIFY(!remove->isEnabled());
        table->selectRow(rowOf(dialog, u"A"_s));
        QVERIFY(remove->isEnabled());
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(effect(dialog.keyMap(), u"A"_s), u"previous"_s);
        QCOMPARE(message(dialog), u"A is back to Previous script."_s);
        table->selectRow(rowOf(dialog, u"F5"_s));
        QTest::mouseClick(remove, Qt::LeftButton);
        QCOMPARE(effect(dialog.keyMap(), u"F5"_s), QString());
        QCOMPARE(message(dialog), u"F5 is no longer bound."_s);

        child<QSpinBox>(&dialog, u"speedPreset3Box"_s)->setValue(125);
        QTest::mouseClick(child<QPushButton>(&dialog, u"defaultsButton"_s), Qt::LeftButton);
        QCOMPARE(dialog.keyMap(), KeyMap());
        QCOMPARE(child<QSpinBox>(&dialog, u"speedPreset3Box"_s)->value(), 90);
        QCOMPARE(rowOf(dialog, u"PgDown"_s), -1);
    }

    void speedPresets_areEditable()
    {
        KeysDialog dialog;
        dialog.show();
        QTest::mouseClick(child<QPushButton>(&dialog, u"numberKeysPresetButton"_s), Qt::LeftButton);
        child<QSpinBox>(&dialog, u"speedPreset3Box"_s)->setValue(125);
        QCOMPARE(dialog.keyMap().speedPreset(3), 125);
        auto *table = child<QTableWidget>(&dialog, u"bindingTable"_s);
        QCOMPARE(table->item(rowOf(dialog, u"3"_s), 1)->text(), u"Speed preset 3 (125)"_s);
        auto *actions = child<QComboBox>(&dialog, u"actionBox"_s);
        QVERIFY(actions->findText(u"Speed preset 3 (125)"_s) >= 0);
    }

    // OK hands the map back; a grab refused keeps the window open, option off.
    void desktopWide_grabOnOk_data()
    {
        QTest::addColumn<bool>("supported");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("appliedOn");
        QTest::newRow("grabbed") << true << "" << true;
        QTest::newRow("held elsewhere")
            << true << "F5 is already taken by another program." << false;
        QTest::newRow("native Wayland") << false << "" << false;
    }

    void desktopWide_grabOnOk()
    {
        QFETCH(bool, supported);
        QFETCH(QString, refusal);
        QFETCH(bool, appliedOn);
        KeysDialog dialog;
        QList<KeyChord> grabbed;
        dialog.setDesktopWideSupport(supported, [&](const QList<KeyChord> &chords) {
            grabbed = chords;
            return refusal.isEmpty() ? std::nullopt : std::optional<QString>(refusal);
        });
        dialog.show();
        QSignalSpy applied(&dialog, &KeysDialog::applied);
        auto *box = child<QCheckBox>(&dialog, u"desktopWideBox"_s);
        QCOMPARE(box->isEnabled(), supported);
        QCOMPARE(
            child<QLabel>(&dialog, u"desktopWideNote"_s)->text().contains(u"natively on Wayland"_s),
            !supported);
        dialog.setDesktopWide(true);
        QTest::mouseClick(child<QPushButton>(&dialog, u"clickerPresetButton"_s), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(&dialog, u"okButton"_s), Qt::LeftButton);
        if (!refusal.isEmpty()) {
            QVERIFY(dialog.isVisible());
            QVERIFY(!box->isChecked());
            QCOMPARE(message(dialog), refusal);
            QCOMPARE(applied.size(), 0);
            QTest::mouseClick(child<QPushButton>(&dialog, u"okButton"_s), Qt::LeftButton);
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(applied.size(), 1);
        QCOMPARE(applied.at(0).at(1).toBool(), appliedOn);
        QCOMPARE(effect(applied.at(0).at(0).value<KeyMap>(), u"PgDown"_s), u"faster"_s);
        if (supported) {
            // Only the operator's keys are taken: never the built-in letters.
            QCOMPARE(grabbed.size(), 6);
            QVERIFY(!grabbed.contains(KeyChord{Qt::Key_W, {}}));
        }
    }

    void cancel_handsNothingBack()
    {
        KeysDialog dialog;
        dialog.show();
        QSignalSpy applied(&dialog, &KeysDialog::applied);
        QTest::mouseClick(child<QPushButton>(&dialog, u"clickerPresetButton"_s), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(&dialog, u"cancelButton"_s), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(applied.size(), 0);
        dialog.setKeyMap(KeyMap());
        QCOMPARE(rowOf(dialog, u"PgDown"_s), -1);
    }
};

QTEST_MAIN(KeysDialogTest)
#include "tst_keysdialog.moc"
