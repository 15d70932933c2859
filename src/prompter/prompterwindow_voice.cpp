// Following the speaker's voice: the menu item, the recogniser's positions turned into
// motion of the page on the scroll clock's frames, and the hook that hands control back.
#include "prompterwindow.h"

#include "followmotion.h"
#include "htmlview.h"
#include "scrollclock.h"
#include "texts.h"
#include "voicefollower.h"
#include "wordlayout.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSlider>

#include <cmath>

using namespace texts;

void PrompterWindow::createVoiceFollowing()
{
    logoMenu->addSeparator();
    followVoiceAction = logoMenu->addAction(rsFollowMyVoice);
    followVoiceAction->setObjectName(QStringLiteral("followVoiceAction"));
    followVoiceAction->setCheckable(true);
    m_followMotion = std::make_unique<FollowMotion>();
    m_wordLayout = std::make_unique<WordLayout>();
    connect(followVoiceAction, &QAction::triggered, this,
            [this] { guarded([this] { toggleFollowing(); }); });
    connect(scrollTimer, &ScrollClock::frame, this, [this] { onFollowFrame(); });
}

void PrompterWindow::createVoiceFollower()
{
    // Made on first use: no thread and no sound system until the operator asks for them.
    m_voice = std::make_unique<voice::VoiceFollower>();
    connect(m_voice.get(), &voice::VoiceFollower::listening, this,
            [this](const QList<qsizetype> &starts) { m_wordLayout->setWordStarts(starts); });
    connect(m_voice.get(), &voice::VoiceFollower::positionChanged, this,
            [this](qint64 word) { onSpokenWord(word); });
    connect(m_voice.get(), &voice::VoiceFollower::failed, this, [this](const QString &message) {
        stopFollowing();
        m_dialogs.message(this, message);
    });
}

QString PrompterWindow::followedText()
{
    return page->document()->toPlainText();
}

void PrompterWindow::toggleFollowing()
{
    if (m_following) {
        stopFollowing();
        return;
    }
    // Stays unchecked unless following really starts.
    followVoiceAction->setChecked(false);
    if (!m_voice)
        createVoiceFollower();
    // Until the voice thread has found the words of the text, no word has a place.
    m_wordLayout->setWordStarts({});
    m_followedScript = followedText();
    m_voice->start(m_followedScript);
    m_following = true;
    followVoiceAction->setChecked(true);
    scrollTimer->setEnabled(false);
    scrollTimer->setFramesWanted(true);
    m_followMotion->reset(page->scrollPosition());
    m_followClock.start();
    speedLabel->setText(rsFollowing);
    Q_EMIT readoutChanged();
}

bool PrompterWindow::stopFollowing()
{
    if (!m_following)
        return false;
    m_following = false;
    m_voice->stop();
    followVoiceAction->setChecked(false);
    scrollTimer->setFramesWanted(false);
    speedLabel->setText(rsPaused);
    Q_EMIT readoutChanged();
    return true;
}

void PrompterWindow::followNewPage()
{
    if (!m_following)
        return;
    // The same words in another font or layout keep the speaker's place and the model.
    const QString text = followedText();
    if (text != m_followedScript) {
        m_wordLayout->setWordStarts({});
        m_followedScript = text;
        m_voice->setScript(text);
    }
    m_followMotion->reset(page->scrollPosition());
}

void PrompterWindow::onSpokenWord(qint64 word)
{
    if (!m_following)
        return;
    const double top = m_wordLayout->readingTop(*page->document(), word);
    if (top < 0)
        return;
    // The reading line is a third of the way down the script area.
    const double target = top - page->viewport()->height() / 3.0;
    m_followMotion->setTarget(
        std::clamp(target, 0.0, double(page->verticalScrollBar()->maximum())));
}

void PrompterWindow::onFollowFrame()
{
    if (!m_following)
        return;
    const double elapsed = double(m_followClock.nsecsElapsed()) / 1e6;
    m_followClock.start();
    // Something else moved the page (a resize, a new layout): carry on from where it is.
    if (std::abs(m_followMotion->position() - page->scrollPosition()) > 1.5)
        m_followMotion->reset(page->scrollPosition());
    // Speed 300's nominal rate: one step of the Coarse slider a millisecond.
    const double position = m_followMotion->advance(elapsed, stepSlider->value());
    const int y = int(std::lround(position));
    if (y != page->scrollPosition()) {
        page->scrollTo(0, y);
        updateRemaining();
        updateElapsed();
    }
}
