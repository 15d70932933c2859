#include "showcontrol.h"

#include "dialogs.h"
#include "htmlview.h"
#include "pagebuilder.h"
#include "scrollclock.h"
#include "showoptionsdialog.h"
#include "targettimedialog.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>

#include <utility>

namespace {

// A menu of more items than this takes long to open and cannot be read; the
// jumps reach every marker.
constexpr qsizetype kMaxGoToItems = 300;

} // namespace

ShowControl::ShowControl(HtmlView *page, ScrollClock *clock, Dialogs &dialogs, RegistryStore &store,
                         const QString &section, QWidget *window)
    : QObject(window), m_page(page), m_clock(clock), m_dialogs(dialogs), m_window(window),
      m_store(store, section), m_options(m_store.load())
{
    setObjectName(QStringLiteral("showControl"));
    m_time.start();
    m_goTo = new QMenu(QStringLiteral("Go To"), window);
    m_goTo->setObjectName(QStringLiteral("goToMenu"));
    connect(m_goTo, &QMenu::aboutToShow, this, &ShowControl::fillGoToMenu);
    connect(m_clock, &ScrollClock::frame, this, &ShowControl::onFrame);
    m_page->setMarginMarksShown(true);
    applyOptions();
}

void ShowControl::setScript(const QStringList &lines, MarkerList markers)
{
    m_jumps.setMarkers(std::move(markers));
    m_words = timefit::countWords(lines, 0, lines.size());
}

QList<qsizetype> ShowControl::markedPageLines() const
{
    QList<qsizetype> lines;
    lines.reserve(m_jumps.markers().size());
    for (const Marker &marker : m_jumps.markers().markers())
        lines.append(scriptPageLine(marker.line));
    return lines;
}

int ShowControl::lineAtReadingLine() const
{
    const qsizetype mark = m_page->markAt(m_page->scrollPosition() + m_page->readingLine());
    return mark >= 0 ? int(m_jumps.markers().at(mark).line) : -1;
}

int ShowControl::scrollFor(qsizetype marker) const
{
    const HtmlView::LinePlace place = m_page->markPlace(marker);
    if (place.top < 0)
        return -1;
    return scrollForReadingLine(place.top, place.height, m_page->viewport()->height(),
                                m_page->verticalScrollBar()->maximum());
}

void ShowControl::nextMarker()
{
    jump(m_jumps.next(lineAtReadingLine(), m_page->scrollPosition()));
}

void ShowControl::previousMarker()
{
    jump(m_jumps.previous(lineAtReadingLine(), m_page->scrollPosition()));
}

void ShowControl::goToMarker(qsizetype index)
{
    if (index >= 0 && index < m_jumps.markers().size())
        jump({MarkerJump::Kind::Marker, index});
}

void ShowControl::jump(const MarkerJump &jump)
{
    // A page still loading (a quick edit just brought new markers) has no places yet.
    if (m_page->isLoading() || !m_page->hasDocument())
        return;
    int scroll = 0;
    switch (jump.kind) {
    case MarkerJump::Kind::None:
        return;
    case MarkerJump::Kind::Top:
        break;
    case MarkerJump::Kind::Marker:
        scroll = scrollFor(jump.marker);
        if (scroll < 0) // the engine dropped the line: nowhere to go
            return;
        break;
    }
    m_page->scrollTo(0, scroll);
    m_jumps.jumped(jump, m_page->scrollPosition());
}

void ShowControl::fillGoToMenu()
{
    m_goTo->clear();
    const MarkerList &markers = m_jumps.markers();
    if (markers.isEmpty()) {
        m_goTo->addAction(QStringLiteral("(no markers)"))->setEnabled(false);
        return;
    }
    for (qsizetype i = 0; i < std::min(markers.size(), kMaxGoToItems); ++i) {
        QString label = markers.at(i).label;
        // An ampersand would be taken for a mnemonic.
        label.replace(u'&', QStringLiteral("&&"));
        QAction *item = m_goTo->addAction(label);
        connect(item, &QAction::triggered, this, [this, i] { goToMarker(i); });
    }
    if (markers.size() > kMaxGoToItems)
        m_goTo
            ->addAction(QStringLiteral("... %1 more: Next Marker reaches them")
                            .arg(markers.size() - kMaxGoToItems))
            ->setEnabled(false);
}

bool ShowControl::startCountdown(int speed)
{
    if (!m_countdown.start(m_options.countdownSeconds, speed, m_time.nsecsElapsed()))
        return false;
    showDigit(QString::number(m_countdown.digit()));
    m_clock->setFramesWanted(true);
    return true;
}

bool ShowControl::cancelCountdown()
{
    if (!m_countdown.running())
        return false;
    m_countdown.cancel();
    m_clock->setFramesWanted(false);
    showDigit({});
    return true;
}

void ShowControl::onFrame()
{
    switch (m_countdown.advance(m_time.nsecsElapsed())) {
    case Countdown::Step::Idle:
    case Countdown::Step::Same:
        return;
    case Countdown::Step::Changed:
        showDigit(QString::number(m_countdown.digit()));
        return;
    case Countdown::Step::Finished:
        m_clock->setFramesWanted(false);
        showDigit({});
        Q_EMIT countdownFinished();
        return;
    }
}

void ShowControl::showDigit(const QString &digit)
{
    m_page->setOverlayText(digit);
    Q_EMIT countdownShown(digit);
}

bool ShowControl::editOptions()
{
    ShowOptionsDialog dialog(m_window);
    dialog.setOptions(m_options);
    if (m_dialogs.execModal(&dialog) != QDialog::Accepted)
        return false;
    const ShowOptions chosen = dialog.options();
    if (chosen == m_options)
        return false;
    // Stored first: a store that cannot be written leaves everything as it was.
    m_store.save(chosen);
    m_options = chosen;
    applyOptions();
    return true;
}

void ShowControl::applyOptions()
{
    m_page->setReadingLineShown(m_options.readingLine);
}

std::optional<ShowControl::Fit> ShowControl::fitToTime(int speed, int step)
{
    if (m_page->isLoading() || !m_page->hasDocument())
        return std::nullopt;
    const int scroll = m_page->scrollPosition();
    const int reading = scroll + m_page->readingLine();
    const MarkerJump next = m_jumps.next(lineAtReadingLine(), scroll);
    const int sectionEnd = next.kind == MarkerJump::Kind::Marker ? scrollFor(next.marker) : -1;

    TargetTimeDialog dialog(m_window);
    dialog.setSectionAvailable(sectionEnd > scroll);
    const int end = m_page->verticalScrollBar()->maximum();
    dialog.setCurrentTime(speed > 0 ? timefit::scrollTimeMs(end - scroll, speed, step) : -1);
    if (m_dialogs.execModal(&dialog) != QDialog::Accepted || dialog.targetMs() <= 0)
        return std::nullopt;
    const bool section = dialog.scope() == timefit::Scope::RestOfSection && sectionEnd > scroll;
    const int to = section ? sectionEnd : end;
    // The words from the reading line to where the stretch puts the reading line.
    const QString text = m_page->shownText(reading, section ? to + m_page->readingLine() : -1);
    const timefit::FitResult result = timefit::fitToTime(
        {to - scroll, timefit::countWords({text}, 0, 1), dialog.targetMs(), step,
         section ? timefit::Scope::RestOfSection : timefit::Scope::RestOfScript});
    m_dialogs.message(m_window, result.message);
    if (result.outcome == timefit::FitResult::Outcome::Cannot)
        return std::nullopt;
    return Fit{result.speed, result.step};
}

QString ShowControl::wordsPerMinuteText(int speed, int step, int documentLength) const
{
    if (!m_options.wordsPerMinute || speed == 0 || documentLength <= 0 || m_words <= 0)
        return {};
    const double wpm = timefit::wordsPerMinute(m_words, documentLength, speed, step);
    return QStringLiteral("  %1 wpm").arg(qRound(wpm));
}
