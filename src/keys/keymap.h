#pragma once

#include "keybinding.h"
#include "keychord.h"
#include "keypreset.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <utility>

// Which key does what on the band. The operator's bindings come first, for
// the exact chord; then the letters the band has always known (W, S, Q, E, F,
// A, D, whatever the modifiers); any other key has no binding: it applies the
// current speed, and the page moves by hand on arrows and page keys.
class KeyMap
{
public:
    // Every key of a keyboard with every modifier held fits several times over.
    static constexpr int kMaxBindings = 4096;
    static constexpr int kSpeedPresetCount = 9;

    enum class Source
    {
        None,
        Default,
        Operator
    };
    struct Meaning
    {
        std::optional<KeyBinding> binding; // none: apply the current speed
        Source source = Source::None;
    };

    // The built-in meaning of a key, modifiers ignored as they always were.
    static std::optional<KeyBinding> defaultBinding(int key);
    // The keys with a built-in meaning, in the order the help line names them.
    static QList<int> defaultKeys();
    static int defaultSpeedPreset(int number);

    Meaning meaning(const KeyChord &chord) const;
    // A binding or a preset number resolved to the action the prompter performs:
    // nothing for the prompter's own switches (follow voice, talent screen).
    std::optional<std::pair<OperatorAction, int>> operatorAction(const KeyBinding &binding) const;

    // "Page Down is already bound to Slower." when the chord does something else.
    std::optional<QString> conflict(const KeyChord &chord, const KeyBinding &binding) const;
    // Replaces what the chord did; false, changing nothing, when the map is full.
    bool bind(const KeyChord &chord, const KeyBinding &binding);
    bool unbind(const KeyChord &chord);
    // Drops the operator's bindings and sets the presets back to 30, 60, ... 270.
    void restoreDefaults();
    // Binds the preset's keys; says which keys it took from another meaning.
    QStringList addPreset(KeyPreset preset);

    // The operator's bindings, by key.
    KeyBindingList bindings() const;
    // What every key with a meaning does: the operator's and the built-in
    // letters no binding replaces, in the order of KeyBinding::offered().
    QList<std::pair<KeyChord, Meaning>> effective() const;
    int bindingCount() const { return int(m_bindings.size()); }

    // Preset numbers run from 1 to 9; speeds are clamped to -300..300.
    int speedPreset(int number) const;
    void setSpeedPreset(int number, int speed);

    bool operator==(const KeyMap &other) const
    {
        return m_bindings == other.m_bindings && m_presets == other.m_presets;
    }

private:
    QHash<KeyChord, KeyBinding> m_bindings;
    std::array<int, kSpeedPresetCount> m_presets = {30, 60, 90, 120, 150, 180, 210, 240, 270};
};
