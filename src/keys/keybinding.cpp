#include "keybinding.h"

#include <QCoreApplication>

#include <array>
#include <utility>

namespace {

const QString kPreset = QStringLiteral("preset");
const QString kFollowVoice = QStringLiteral("follow-voice");
const QString kTalentScreen = QStringLiteral("talent-screen");
constexpr int kPresets = 9;
// A set speed or step beyond these is clamped by the prompter; the store keeps it sane.
constexpr int kValueLimit = 100000;

constexpr std::array<std::pair<OperatorAction, const char *>, 13> kLabels{{
    {OperatorAction::Faster, QT_TRANSLATE_NOOP("KeyBinding", "Faster")},
    {OperatorAction::Slower, QT_TRANSLATE_NOOP("KeyBinding", "Slower")},
    {OperatorAction::CoarseFaster, QT_TRANSLATE_NOOP("KeyBinding", "Coarse faster")},
    {OperatorAction::CoarseSlower, QT_TRANSLATE_NOOP("KeyBinding", "Coarse slower")},
    {OperatorAction::Pause, QT_TRANSLATE_NOOP("KeyBinding", "Pause / resume")},
    {OperatorAction::Reverse, QT_TRANSLATE_NOOP("KeyBinding", "Reverse direction")},
    {OperatorAction::Top, QT_TRANSLATE_NOOP("KeyBinding", "Back to the top")},
    {OperatorAction::Previous, QT_TRANSLATE_NOOP("KeyBinding", "Previous script")},
    {OperatorAction::Next, QT_TRANSLATE_NOOP("KeyBinding", "Next script")},
    {OperatorAction::SetSpeed, QT_TRANSLATE_NOOP("KeyBinding", "Set speed %1")},
    {OperatorAction::SetStep, QT_TRANSLATE_NOOP("KeyBinding", "Set step %1")},
    {OperatorAction::NextMarker, QT_TRANSLATE_NOOP("KeyBinding", "Next marker")},
    {OperatorAction::PreviousMarker, QT_TRANSLATE_NOOP("KeyBinding", "Previous marker")},
}};

QString tr(const char *text)
{
    return QCoreApplication::translate("KeyBinding", text);
}

} // namespace

KeyBinding KeyBinding::of(OperatorAction action, int value)
{
    return {Kind::Action, action, actionTakesValue(action) ? value : 0};
}

KeyBinding KeyBinding::speedPreset(int number)
{
    return {Kind::SpeedPreset, OperatorAction::SetSpeed, number};
}

KeyBinding KeyBinding::followVoice()
{
    return {Kind::FollowVoice, OperatorAction::Pause, 0};
}

KeyBinding KeyBinding::talentScreen()
{
    return {Kind::TalentScreen, OperatorAction::Pause, 0};
}

bool KeyBinding::operator==(const KeyBinding &other) const
{
    if (kind != other.kind || value != other.value)
        return false;
    return kind != Kind::Action || action == other.action;
}

std::optional<KeyBinding> KeyBinding::fromName(QStringView name)
{
    if (name == kFollowVoice)
        return followVoice();
    if (name == kTalentScreen)
        return talentScreen();
    const qsizetype colon = name.indexOf(u':');
    const bool hasValue = colon >= 0;
    const QStringView head = hasValue ? name.left(colon) : name;
    int value = 0;
    if (hasValue) {
        const std::optional<int> number = actionValueFromText(name.mid(colon + 1));
        if (!number || *number < -kValueLimit || *number > kValueLimit)
            return std::nullopt;
        value = *number;
    }
    if (head == kPreset) {
        if (!hasValue || value < 1 || value > kPresets)
            return std::nullopt;
        return speedPreset(value);
    }
    const auto action = actionFromName(head);
    if (!action || actionTakesValue(*action) != hasValue)
        return std::nullopt;
    return of(*action, value);
}

QString KeyBinding::name() const
{
    switch (kind) {
    case Kind::SpeedPreset:
        return kPreset + u':' + QString::number(value);
    case Kind::FollowVoice:
        return kFollowVoice;
    case Kind::TalentScreen:
        return kTalentScreen;
    case Kind::Action:
        break;
    }
    if (actionTakesValue(action))
        return actionName(action) + u':' + QString::number(value);
    return actionName(action);
}

QString KeyBinding::label(int presetSpeed) const
{
    switch (kind) {
    case Kind::SpeedPreset:
        return tr(QT_TRANSLATE_NOOP("KeyBinding", "Speed preset %1 (%2)"))
            .arg(value)
            .arg(presetSpeed);
    case Kind::FollowVoice:
        return tr(QT_TRANSLATE_NOOP("KeyBinding", "Follow My Voice on / off"));
    case Kind::TalentScreen:
        return tr(QT_TRANSLATE_NOOP("KeyBinding", "Talent Screen on / off"));
    case Kind::Action:
        break;
    }
    for (const auto &[a, text] : kLabels)
        if (a == action)
            return actionTakesValue(action) ? tr(text).arg(value) : tr(text);
    return name();
}

QList<KeyBinding> KeyBinding::offered()
{
    QList<KeyBinding> all;
    for (const auto &[action, text] : kLabels)
        if (!actionTakesValue(action))
            all.append(of(action));
    for (int n = 1; n <= kPresets; ++n)
        all.append(speedPreset(n));
    all.append(followVoice());
    all.append(talentScreen());
    return all;
}
