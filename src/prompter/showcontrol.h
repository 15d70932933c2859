#pragma once

#include "countdown.h"
#include "markerjumps.h"
#include "showoptions.h"
#include "timefit.h"

#include <QElapsedTimer>
#include <QObject>

#include <optional>

class Dialogs;
class HtmlView;
class QMenu;
class QWidget;
class RegistryStore;
class ScrollClock;

// Running the show on the band: the script's markers and the jumps between
// them, the countdown before the page moves, fitting the speed to a target
// time and the show's options. The prompter tells it what it shows and asks
// it before it starts the page; it moves the page only for a jump.
class ShowControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowControl)

public:
    ShowControl(HtmlView *page, ScrollClock *clock, Dialogs &dialogs, RegistryStore &store,
                const QString &section, QWidget *window);

    // The script shown now and its markers.
    void setScript(const QStringList &lines, MarkerList markers);
    const MarkerList &markers() const { return m_jumps.markers(); }
    // The page lines of buildScriptPage's page that begin sections, for the view.
    QList<qsizetype> markedPageLines() const;

    // Next or previous marker to the reading line; nothing at either end.
    void nextMarker();
    void previousMarker();
    void goToMarker(qsizetype index);
    // The Go To submenu, filled each time it opens.
    QMenu *goToMenu() const { return m_goTo; }

    // Asked before the page starts from a pause: true when a countdown
    // started, and the page then starts on countdownFinished().
    bool startCountdown(int speed);
    // A pause or speed control: true when a countdown was running.
    bool cancelCountdown();
    bool counting() const { return m_countdown.running(); }

    const ShowOptions &options() const { return m_options; }
    // "Show Options...": true when the operator changed them.
    bool editOptions();
    // "Target Time...": the speed and step to set, when one was chosen.
    struct Fit
    {
        int speed = 0;
        int step = 0;
    };
    std::optional<Fit> fitToTime(int speed, int step);
    // "  150 wpm" after the speed, when the option is on and the page moves.
    QString wordsPerMinuteText(int speed, int step, int documentLength) const;

Q_SIGNALS:
    void countdownFinished();
    // The countdown's digit to show, empty when it ends or stops.
    void countdownShown(const QString &digit);

private:
    void jump(const MarkerJump &jump);
    int lineAtReadingLine() const;
    int scrollFor(qsizetype marker) const;
    void onFrame();
    void showDigit(const QString &digit);
    void fillGoToMenu();
    void applyOptions();

    HtmlView *m_page;
    ScrollClock *m_clock;
    Dialogs &m_dialogs;
    QWidget *m_window;
    ShowOptionsStore m_store;
    ShowOptions m_options;
    MarkerJumps m_jumps;
    Countdown m_countdown;
    QElapsedTimer m_time;
    QMenu *m_goTo = nullptr;
    qint64 m_words = 0;
};
