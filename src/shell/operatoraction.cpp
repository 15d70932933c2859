#include "operatoraction.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<OperatorAction, const char *>, 13> kNames{{
    {OperatorAction::Faster, "faster"},
    {OperatorAction::Slower, "slower"},
    {OperatorAction::CoarseFaster, "coarse-faster"},
    {OperatorAction::CoarseSlower, "coarse-slower"},
    {OperatorAction::Pause, "pause"},
    {OperatorAction::Reverse, "reverse"},
    {OperatorAction::Top, "top"},
    {OperatorAction::Previous, "previous"},
    {OperatorAction::Next, "next"},
    {OperatorAction::SetSpeed, "speed"},
    {OperatorAction::SetStep, "step"},
    {OperatorAction::NextMarker, "next-marker"},
    {OperatorAction::PreviousMarker, "previous-marker"},
}};

} // namespace

std::optional<OperatorAction> actionFromName(QStringView name)
{
    for (const auto &[action, text] : kNames)
        if (name == QLatin1String(text))
            return action;
    return std::nullopt;
}

QString actionName(OperatorAction action)
{
    for (const auto &[a, text] : kNames)
        if (a == action)
            return QLatin1String(text);
    return {};
}

bool actionTakesValue(OperatorAction action)
{
    return action == OperatorAction::SetSpeed || action == OperatorAction::SetStep;
}

std::optional<int> actionValueFromText(QStringView text)
{
    QStringView digits = text;
    bool negative = false;
    if (!digits.isEmpty() && (digits.front() == u'-' || digits.front() == u'+')) {
        negative = digits.front() == u'-';
        digits = digits.mid(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    constexpr int kLimit = 999999999;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value >= kLimit / 10 ? kLimit : value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}
