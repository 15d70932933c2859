#include "keypreset.h"

#include <QCoreApplication>

namespace {

std::pair<KeyChord, KeyBinding> entry(int key, const KeyBinding &binding)
{
    return {KeyChord{key, {}}, binding};
}

} // namespace

QList<KeyPreset> allKeyPresets()
{
    return {KeyPreset::PresenterClicker, KeyPreset::FootPedalLetters, KeyPreset::FootPedalFunction,
            KeyPreset::NumberKeys, KeyPreset::Markers};
}

QString keyPresetName(KeyPreset preset)
{
    switch (preset) {
    case KeyPreset::PresenterClicker:
        return QCoreApplication::translate("KeyPreset", "Presenter clicker");
    case KeyPreset::FootPedalLetters:
        return QCoreApplication::translate("KeyPreset", "Foot pedal a/b/c");
    case KeyPreset::FootPedalFunction:
        return QCoreApplication::translate("KeyPreset", "Foot pedal F14-F16");
    case KeyPreset::NumberKeys:
        return QCoreApplication::translate("KeyPreset", "Number keys: speed presets");
    case KeyPreset::Markers:
        return QCoreApplication::translate("KeyPreset", "Markers");
    }
    return {};
}

KeyBindingList keyPresetBindings(KeyPreset preset)
{
    const KeyBinding faster = KeyBinding::of(OperatorAction::Faster);
    const KeyBinding slower = KeyBinding::of(OperatorAction::Slower);
    const KeyBinding pause = KeyBinding::of(OperatorAction::Pause);
    switch (preset) {
    case KeyPreset::PresenterClicker:
        // Its arrows keep moving the page by hand, as they always did.
        return {entry(Qt::Key_PageDown, faster), entry(Qt::Key_PageUp, slower),
                entry(Qt::Key_F5, pause),        entry(Qt::Key_Escape, pause),
                entry(Qt::Key_Period, pause),    entry(Qt::Key_B, pause)};
    case KeyPreset::FootPedalLetters:
        return {entry(Qt::Key_A, slower), entry(Qt::Key_B, pause), entry(Qt::Key_C, faster)};
    case KeyPreset::FootPedalFunction:
        // X desktops name the keys F14 to F16 as the launch keys 5 to 7.
        return {entry(Qt::Key_F14, slower),    entry(Qt::Key_F15, pause),
                entry(Qt::Key_F16, faster),    entry(Qt::Key_Launch5, slower),
                entry(Qt::Key_Launch6, pause), entry(Qt::Key_Launch7, faster)};
    case KeyPreset::NumberKeys: {
        KeyBindingList digits;
        for (int n = 1; n <= 9; ++n)
            digits.append(entry(Qt::Key_0 + n, KeyBinding::speedPreset(n)));
        return digits;
    }
    case KeyPreset::Markers:
        // Without Ctrl the arrows keep moving the page by hand.
        return {{KeyChord{Qt::Key_Down, Qt::ControlModifier},
                 KeyBinding::of(OperatorAction::NextMarker)},
                {KeyChord{Qt::Key_Up, Qt::ControlModifier},
                 KeyBinding::of(OperatorAction::PreviousMarker)}};
    }
    return {};
}
