#pragma once

#include <QString>

// "hh:mm:ss:cc" from milliseconds; fields keep their minus signs and hours
// are not carried into days, so 100 hours shows three digits.
QString formatDuration(qint32 milliseconds);

// Estimated reading times from the scroll position, in milliseconds. The
// period counts as 10 below 10 ms; all arithmetic is 32-bit and truncates.
qint32 elapsedMilliseconds(qint32 position, qint32 step, quint32 period);
qint32 remainingMilliseconds(qint32 documentLength, qint32 position, qint32 step, quint32 period);
