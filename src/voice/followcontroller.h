#pragma once

#include "followmotion.h"
#include "wordlayout.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

class HtmlView;

namespace voice {

class VoiceFollower;

// Following the speaker on the band: the recogniser's positions in the page's
// words become motion of the page, one display frame at a time. The window
// hands it its page and its frames, and stops it whenever a speed or pause
// control acts.
class FollowController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FollowController)

public:
    explicit FollowController(HtmlView *page, QObject *parent = nullptr);
    ~FollowController() override;

    bool following() const { return m_following; }
    void start();
    // True when it was following.
    bool stop();
    // A page was loaded: the same words in another font or layout keep the
    // speaker's place and the model.
    void pageLoaded();
    // One display frame; the page moves at most `maxRate` pixels a millisecond.
    void frame(double maxRate);

Q_SIGNALS:
    // The page was moved to follow the speaker.
    void pageMoved();
    // Following cannot go on (no microphone, the microphone lost); still following until stopped.
    void failed(const QString &message);

private:
    void onSpokenWord(qint64 word);

    HtmlView *m_page;
    std::unique_ptr<VoiceFollower> m_voice;
    FollowMotion m_motion;
    WordLayout m_layout;
    QElapsedTimer m_clock;
    QString m_script;
    bool m_following = false;
};

} // namespace voice
