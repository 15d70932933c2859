#include "keychord.h"

#include <QKeyCombination>
#include <QKeySequence>

#include <array>

namespace {

constexpr Qt::KeyboardModifiers kCounted =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

constexpr std::array kAlone{
    Qt::Key_unknown,    Qt::Key_Shift,       Qt::Key_Control,     Qt::Key_Meta,
    Qt::Key_Alt,        Qt::Key_AltGr,       Qt::Key_CapsLock,    Qt::Key_NumLock,
    Qt::Key_ScrollLock, Qt::Key_Super_L,     Qt::Key_Super_R,     Qt::Key_Hyper_L,
    Qt::Key_Hyper_R,    Qt::Key_Mode_switch, Qt::Key_Direction_L, Qt::Key_Direction_R,
};

QString nameOf(const KeyChord &chord, QKeySequence::SequenceFormat format)
{
    return QKeySequence(QKeyCombination(chord.modifiers, Qt::Key(chord.key))).toString(format);
}

std::optional<KeyChord> parse(const QString &name)
{
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.count() != 1)
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    return KeyChord{int(combination.key()), combination.keyboardModifiers()};
}

} // namespace

std::optional<KeyChord> KeyChord::make(int key, Qt::KeyboardModifiers modifiers)
{
    if (key <= 0 || key >= Qt::Key_unknown)
        return std::nullopt;
    for (const Qt::Key alone : kAlone)
        if (key == alone)
            return std::nullopt;
    const KeyChord chord{key, modifiers & kCounted};
    // A code the toolkit cannot name would not survive the store.
    const QString name = chord.portableName();
    if (name.isEmpty() || parse(name) != chord)
        return std::nullopt;
    return chord;
}

bool KeyChord::isModifierKey(int key)
{
    for (const Qt::Key alone : kAlone)
        if (key == alone && alone != Qt::Key_unknown)
            return true;
    return false;
}

std::optional<KeyChord> KeyChord::fromPortableName(const QString &name)
{
    const auto parsed = parse(name);
    if (!parsed)
        return std::nullopt;
    const auto chord = make(parsed->key, parsed->modifiers);
    // "Keypad+1" and the like name a chord this map does not keep.
    return chord && *chord == *parsed ? chord : std::nullopt;
}

QString KeyChord::portableName() const
{
    return nameOf(*this, QKeySequence::PortableText);
}

QString KeyChord::displayName() const
{
    return nameOf(*this, QKeySequence::NativeText);
}
