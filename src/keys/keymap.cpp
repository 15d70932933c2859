#include "keymap.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

constexpr int kSpeedLimit = 300;

int offeredRank(const KeyBinding &binding)
{
    const QList<KeyBinding> offered = KeyBinding::offered();
    const qsizetype at = offered.indexOf(binding);
    return at < 0 ? int(offered.size()) : int(at);
}

bool byKey(const std::pair<KeyChord, KeyBinding> &a, const std::pair<KeyChord, KeyBinding> &b)
{
    if (a.first.key != b.first.key)
        return a.first.key < b.first.key;
    return a.first.modifiers.toInt() < b.first.modifiers.toInt();
}

} // namespace

std::optional<KeyBinding> KeyMap::defaultBinding(int key)
{
    switch (key) {
    case Qt::Key_Q:
        return KeyBinding::of(OperatorAction::Pause);
    case Qt::Key_W:
        return KeyBinding::of(OperatorAction::Faster);
    case Qt::Key_S:
        return KeyBinding::of(OperatorAction::Slower);
    case Qt::Key_E:
        return KeyBinding::of(OperatorAction::Reverse);
    case Qt::Key_A:
        return KeyBinding::of(OperatorAction::Previous);
    case Qt::Key_D:
        return KeyBinding::of(OperatorAction::Next);
    case Qt::Key_F:
        return KeyBinding::of(OperatorAction::Top);
    default:
        return std::nullopt;
    }
}

QList<int> KeyMap::defaultKeys()
{
    return {Qt::Key_W, Qt::Key_S, Qt::Key_Q, Qt::Key_E, Qt::Key_F, Qt::Key_A, Qt::Key_D};
}

int KeyMap::defaultSpeedPreset(int number)
{
    return std::clamp(number, 1, kSpeedPresetCount) * 30;
}

KeyMap::Meaning KeyMap::meaning(const KeyChord &chord) const
{
    if (const auto bound = m_bindings.constFind(chord); bound != m_bindings.cend())
        return {*bound, Source::Operator};
    if (const auto builtIn = defaultBinding(chord.key))
        return {builtIn, Source::Default};
    return {};
}

std::optional<std::pair<OperatorAction, int>>
KeyMap::operatorAction(const KeyBinding &binding) const
{
    switch (binding.kind) {
    case KeyBinding::Kind::Action:
        return std::pair{binding.action, binding.value};
    case KeyBinding::Kind::SpeedPreset:
        return std::pair{OperatorAction::SetSpeed, speedPreset(binding.value)};
    case KeyBinding::Kind::FollowVoice:
    case KeyBinding::Kind::TalentScreen:
        break;
    }
    return std::nullopt;
}

std::optional<QString> KeyMap::conflict(const KeyChord &chord, const KeyBinding &binding) const
{
    const Meaning now = meaning(chord);
    if (!now.binding || *now.binding == binding)
        return std::nullopt;
    const int preset =
        now.binding->kind == KeyBinding::Kind::SpeedPreset ? speedPreset(now.binding->value) : 0;
    return QCoreApplication::translate("KeyMap", "%1 is already bound to %2.")
        .arg(chord.displayName(), now.binding->label(preset));
}

bool KeyMap::bind(const KeyChord &chord, const KeyBinding &binding)
{
    if (!m_bindings.contains(chord) && m_bindings.size() >= kMaxBindings)
        return false;
    m_bindings.insert(chord, binding);
    return true;
}

bool KeyMap::unbind(const KeyChord &chord)
{
    return m_bindings.remove(chord);
}

void KeyMap::restoreDefaults()
{
    *this = KeyMap();
}

QStringList KeyMap::addPreset(KeyPreset preset)
{
    QStringList taken;
    for (const auto &[chord, binding] : keyPresetBindings(preset)) {
        const Meaning before = meaning(chord);
        if (before.binding && !(*before.binding == binding)) {
            const int speed = before.binding->kind == KeyBinding::Kind::SpeedPreset
                                  ? speedPreset(before.binding->value)
                                  : 0;
            taken.append(QCoreApplication::translate("KeyMap", "%1 was %2; now %3.")
                             .arg(chord.displayName(), before.binding->label(speed),
                                  binding.label(speedPreset(binding.value))));
        }
        if (!bind(chord, binding)) {
            taken.append(QCoreApplication::translate("KeyMap", "%1 is not bound: %2 keys are.")
                             .arg(chord.displayName())
                             .arg(kMaxBindings));
        }
    }
    return taken;
}

KeyBindingList KeyMap::bindings() const
{
    KeyBindingList all;
    all.reserve(m_bindings.size());
    for (auto it = m_bindings.cbegin(); it != m_bindings.cend(); ++it)
        all.append({it.key(), it.value()});
    std::sort(all.begin(), all.end(), byKey);
    return all;
}

QList<std::pair<KeyChord, KeyMap::Meaning>> KeyMap::effective() const
{
    KeyBindingList all = bindings();
    for (const int key : defaultKeys()) {
        const KeyChord plain{key, {}};
        if (!m_bindings.contains(plain))
            all.append({plain, *defaultBinding(key)});
    }
    std::stable_sort(all.begin(), all.end(), [](const auto &a, const auto &b) {
        return offeredRank(a.second) < offeredRank(b.second);
    });
    QList<std::pair<KeyChord, Meaning>> shown;
    shown.reserve(all.size());
    for (const auto &[chord, binding] : all)
        shown.append(
            {chord, {binding, m_bindings.contains(chord) ? Source::Operator : Source::Default}});
    return shown;
}

int KeyMap::speedPreset(int number) const
{
    if (number < 1 || number > kSpeedPresetCount)
        return 0;
    return m_presets.at(std::size_t(number - 1));
}

void KeyMap::setSpeedPreset(int number, int speed)
{
    if (number < 1 || number > kSpeedPresetCount)
        return;
    m_presets.at(std::size_t(number - 1)) = std::clamp(speed, -kSpeedLimit, kSpeedLimit);
}
