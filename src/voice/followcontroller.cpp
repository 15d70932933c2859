#include "followcontroller.h"

#include "htmlview.h"
#include "voicefollower.h"

#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace voice {

FollowController::FollowController(HtmlView *page, QObject *parent) : QObject(parent), m_page(page)
{}

FollowController::~FollowController() = default;

void FollowController::start()
{
    if (!m_voice) {
        // Made on first use: no thread and no sound system until the operator asks for them.
        m_voice = std::make_unique<VoiceFollower>();
        connect(m_voice.get(), &VoiceFollower::listening, this,
                [this](const QList<qsizetype> &starts) { m_layout.setWordStarts(starts); });
        connect(m_voice.get(), &VoiceFollower::positionChanged, this,
                &FollowController::onSpokenWord);
        connect(m_voice.get(), &VoiceFollower::failed, this, &FollowController::failed);
    }
    // Until the voice thread has found the words of the text, no word has a place.
    m_layout.setWordStarts({});
    m_script = m_page->document()->toPlainText();
    m_voice->start(m_script);
    m_following = true;
    m_motion.reset(m_page->scrollPosition());
    m_clock.start();
}

bool FollowController::stop()
{
    if (!m_following)
        return false;
    m_following = false;
    m_voice->stop();
    return true;
}

void FollowController::pageLoaded()
{
    if (!m_following)
        return;
    const QString text = m_page->document()->toPlainText();
    if (text != m_script) {
        m_layout.setWordStarts({});
        m_script = text;
        m_voice->setScript(text);
    }
    m_motion.reset(m_page->scrollPosition());
}

void FollowController::onSpokenWord(qint64 word)
{
    if (!m_following)
        return;
    const double top = m_layout.readingTop(*m_page->document(), word);
    if (top < 0)
        return;
    // The reading line is a third of the way down the script area.
    const double target = top - m_page->viewport()->height() / 3.0;
    m_motion.setTarget(std::clamp(target, 0.0, double(m_page->verticalScrollBar()->maximum())));
}

void FollowController::frame(double maxRate)
{
    if (!m_following)
        return;
    const double elapsed = double(m_clock.nsecsElapsed()) / 1e6;
    m_clock.start();
    // Something else moved the page (a resize, a new layout): carry on from where it is.
    if (std::abs(m_motion.position() - m_page->scrollPosition()) > 1.5)
        m_motion.reset(m_page->scrollPosition());
    const int y = int(std::lround(m_motion.advance(elapsed, maxRate)));
    if (y != m_page->scrollPosition()) {
        m_page->scrollTo(0, y);
        Q_EMIT pageMoved();
    }
}

} // namespace voice
