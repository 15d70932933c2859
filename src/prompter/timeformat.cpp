#include "timeformat.h"

#include <QStringList>

namespace {

QString field(qint32 value)
{
    QString text = QString::number(value);
    return text.size() == 1 ? QStringLiteral("0") + text : text;
}

// Wraps like the 32-bit multiplication it stands for, instead of overflowing.
qint32 mul32(qint32 a, qint32 b)
{
    return qint32(quint32(a) * quint32(b));
}

qint32 effectivePeriod(quint32 period)
{
    return qint32(period < 10 ? 10 : period);
}

qint32 sub32(qint32 a, qint32 b)
{
    return qint32(quint32(a) - quint32(b));
}

qint32 div32(qint32 a, qint32 b)
{
    if (b == 0)
        return 0;
    if (a == INT32_MIN && b == -1)
        return a;
    return a / b;
}

} // namespace

QString formatDuration(qint32 d)
{
    const qint32 hundredths = (d % 1000) / 10;
    qint32 seconds = d / 1000;
    qint32 minutes = 0;
    qint32 hours = 0;
    if (seconds >= 60) {
        minutes = seconds / 60;
        seconds -= 60 * minutes;
    }
    if (minutes >= 60) {
        hours = minutes / 60;
        minutes -= 60 * hours;
    }
    return QStringList{field(hours), field(minutes), field(seconds), field(hundredths)}.join(
        QLatin1Char(':'));
}

qint32 elapsedMilliseconds(qint32 position, qint32 step, quint32 period)
{
    return mul32(effectivePeriod(period), div32(position, step));
}

qint32 remainingMilliseconds(qint32 documentLength, qint32 position, qint32 step, quint32 period)
{
    return mul32(effectivePeriod(period), div32(sub32(documentLength, position), step));
}
