#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Fitting the script to its time: the band moves `step` pixels a tick, a tick
// every 301 - |speed| ms, so a stretch of the page takes a known time.
namespace timefit {

inline constexpr int kMaxSpeed = 300;
inline constexpr int kMaxStep = 10;
// The longest target the operator can type.
inline constexpr qint64 kMaxTargetMs = (99 * 3600 + 59 * 60 + 59) * qint64(1000);
// A fit this close to the target keeps the Coarse step the operator set.
inline constexpr double kTolerance = 0.01;

// A duration the operator typed: "m:ss" or "h:mm:ss".
struct Duration
{
    qint64 ms = 0;
    QString error; // empty when the text is a time

    bool ok() const { return error.isEmpty(); }
};
Duration parseDuration(QStringView text);
// "4:05", "1:02:03"; rounded to the second.
QString formatDuration(qint64 ms);

// Time to scroll `pixels` at `speed` (its magnitude) with `step` pixels a tick;
// -1 at speed 0, which never gets there.
qint64 scrollTimeMs(qint64 pixels, int speed, int step);
// Words read a minute at the speed: the stretch's words over its time; 0 at speed 0.
double wordsPerMinute(qint64 words, qint64 pixels, int speed, int step);
// Words of the lines [from, to): runs of non-blanks holding a letter or a digit.
qint64 countWords(const QStringList &lines, qsizetype from, qsizetype to);

enum class Scope
{
    RestOfScript,
    RestOfSection
};

struct FitRequest
{
    qint64 pixels = 0; // from the reading line to the end (or to the next marker)
    qint64 words = 0;  // in that stretch
    qint64 targetMs = 0;
    int step = 1; // the Coarse step now
    Scope scope = Scope::RestOfScript;
};

struct FitResult
{
    enum class Outcome
    {
        Fitted,  // as near the target as the speed's steps allow
        Nearest, // the target is out of reach: the nearest time there is
        Cannot   // nothing to fit (no words, nothing left to scroll)
    };
    Outcome outcome = Outcome::Cannot;
    int speed = 0;
    int step = 0;
    qint64 timeMs = 0; // the stretch's time at speed and step
    QString message;   // what was chosen, or why nothing was
};

// Chooses a speed of 1 to 300 for the stretch to take the target time,
// keeping the Coarse step when that is close enough and otherwise taking the
// step that comes closest.
FitResult fitToTime(const FitRequest &request);

} // namespace timefit
