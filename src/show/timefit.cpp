#include "timefit.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace timefit {

namespace {

const QString kNotATime = QStringLiteral("Type the time as m:ss or h:mm:ss, such as 4:30.");

qint64 ticksFor(qint64 pixels, int step)
{
    return (pixels + step - 1) / step;
}

QString scopeText(Scope scope)
{
    return scope == Scope::RestOfSection ? QStringLiteral("the rest of the section")
                                         : QStringLiteral("the rest of the script");
}

struct Choice
{
    int speed = 0;
    int step = 0;
    qint64 timeMs = 0;
};

// The speed at `step` whose time comes nearest the target.
Choice nearestAt(qint64 pixels, int step, qint64 targetMs)
{
    const qint64 ticks = ticksFor(pixels, step);
    const double period =
        std::clamp(std::round(double(targetMs) / double(ticks)), 1.0, double(kMaxSpeed));
    const int speed = kMaxSpeed + 1 - int(period);
    return {speed, step, scrollTimeMs(pixels, speed, step)};
}

bool closeEnough(qint64 timeMs, qint64 targetMs)
{
    return std::llabs(timeMs - targetMs) <= qint64(double(targetMs) * kTolerance);
}

} // namespace

Duration parseDuration(QStringView text)
{
    static const QRegularExpression shape(
        QStringLiteral("^(?:(\\d{1,2}):(\\d{2})|(\\d{1,4})):(\\d{2})$"));
    const QString trimmed = text.trimmed().toString();
    if (trimmed.startsWith(u'-') || trimmed.startsWith(u'\u2212'))
        return {0, QStringLiteral("A time cannot be negative.")};
    const QRegularExpressionMatch match = shape.match(trimmed);
    if (!match.hasMatch())
        return {0, kNotATime};
    const bool withHours = match.capturedLength(1) > 0;
    const qint64 hours = withHours ? match.captured(1).toLongLong() : 0;
    const qint64 minutes =
        withHours ? match.captured(2).toLongLong() : match.captured(3).toLongLong();
    const qint64 seconds = match.captured(4).toLongLong();
    if (seconds > 59 || (withHours && minutes > 59))
        return {0, QStringLiteral("Minutes and seconds go up to 59.")};
    const qint64 ms = ((hours * 60 + minutes) * 60 + seconds) * 1000;
    if (ms == 0)
        return {0, QStringLiteral("The time must be longer than 0:00.")};
    if (ms > kMaxTargetMs)
        return {0, QStringLiteral("The longest time is %1.").arg(formatDuration(kMaxTargetMs))};
    return {ms, {}};
}

QString formatDuration(qint64 ms)
{
    const qint64 total = (std::max<qint64>(0, ms) + 500) / 1000;
    const qint64 hours = total / 3600;
    const qint64 minutes = total / 60 % 60;
    const qint64 seconds = total % 60;
    const QString ss = QStringLiteral("%1").arg(seconds, 2, 10, QLatin1Char('0'));
    if (hours == 0)
        return QStringLiteral("%1:%2").arg(minutes).arg(ss);
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(ss);
}

qint64 scrollTimeMs(qint64 pixels, int speed, int step)
{
    const int magnitude = std::min(std::abs(speed), kMaxSpeed);
    if (magnitude == 0)
        return -1;
    const int clampedStep = std::clamp(step, 1, kMaxStep);
    return ticksFor(std::max<qint64>(0, pixels), clampedStep) * (kMaxSpeed + 1 - magnitude);
}

double wordsPerMinute(qint64 words, qint64 pixels, int speed, int step)
{
    const qint64 ms = scrollTimeMs(pixels, speed, step);
    if (ms <= 0 || words <= 0)
        return 0;
    return double(words) * 60000.0 / double(ms);
}

qint64 countWords(const QStringList &lines, qsizetype from, qsizetype to)
{
    qint64 words = 0;
    for (qsizetype i = std::max<qsizetype>(0, from); i < std::min(to, lines.size()); ++i) {
        // A word counts once, at its first letter or digit; a lone "-" is none.
        bool counted = false;
        for (const QChar c : lines.at(i)) {
            if (c.isSpace())
                counted = false;
            else if (!counted && c.isLetterOrNumber()) {
                ++words;
                counted = true;
            }
        }
    }
    return words;
}

FitResult fitToTime(const FitRequest &request)
{
    FitResult result;
    if (request.words <= 0) {
        result.message = QStringLiteral("There are no words in %1 to fit to a time.")
                             .arg(scopeText(request.scope));
        return result;
    }
    if (request.pixels <= 0) {
        result.message =
            QStringLiteral("Nothing is left to scroll in %1.").arg(scopeText(request.scope));
        return result;
    }
    if (request.targetMs <= 0 || request.targetMs > kMaxTargetMs) {
        result.message = kNotATime;
        return result;
    }
    const int current = std::clamp(request.step, 1, kMaxStep);
    Choice best = nearestAt(request.pixels, current, request.targetMs);
    if (!closeEnough(best.timeMs, request.targetMs)) {
        // The step decides how fine and how far the speed can go: take the
        // nearest, and of equals the one closest to the operator's.
        for (int step = 1; step <= kMaxStep; ++step) {
            const Choice choice = nearestAt(request.pixels, step, request.targetMs);
            const qint64 miss = std::llabs(choice.timeMs - request.targetMs);
            const qint64 bestMiss = std::llabs(best.timeMs - request.targetMs);
            if (miss < bestMiss ||
                (miss == bestMiss && std::abs(step - current) < std::abs(best.step - current)))
                best = choice;
        }
    }
    result.speed = best.speed;
    result.step = best.step;
    result.timeMs = best.timeMs;
    const QString chosen =
        best.step == current
            ? QStringLiteral("speed %1").arg(best.speed)
            : QStringLiteral("speed %1 with Coarse %2").arg(best.speed).arg(best.step);
    // Out of reach only beyond the fastest and the slowest there are; within
    // them a whole millisecond of period is as fine as the speed goes.
    const qint64 shortest = scrollTimeMs(request.pixels, kMaxSpeed, kMaxStep);
    const qint64 longest = scrollTimeMs(request.pixels, 1, 1);
    if (request.targetMs >= shortest && request.targetMs <= longest) {
        result.outcome = FitResult::Outcome::Fitted;
        result.message = QStringLiteral("Set %1: %2 for %3.")
                             .arg(chosen, formatDuration(best.timeMs), scopeText(request.scope));
        return result;
    }
    result.outcome = FitResult::Outcome::Nearest;
    const bool tooShort = best.timeMs > request.targetMs;
    result.message = QStringLiteral("%1 cannot be reached for %2: the %3 is %4, at %5.")
                         .arg(formatDuration(request.targetMs), scopeText(request.scope),
                              tooShort ? QStringLiteral("shortest") : QStringLiteral("longest"),
                              formatDuration(best.timeMs), chosen);
    return result;
}

} // namespace timefit
