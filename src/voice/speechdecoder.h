#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

struct ps_decoder_s;
struct cmd_ln_s;

namespace voice {

class NoiseFloor;
class ScriptModel;

// PocketSphinx over 16 kHz mono audio, listening for one script's words. Not thread-safe:
// one thread feeds it.
class SpeechDecoder final
{
public:
    struct Hypothesis
    {
        QStringList words;
        // The utterance ended at a pause; later words start a new one.
        bool final = false;
    };

    // Continuous speech or noise makes each block re-read an ever longer hypothesis: an
    // utterance that goes on this long ends as if the speaker had paused, at the next gap
    // between words (within a quarter of the limit more).
    static constexpr double defaultUtteranceLimitSeconds = 20;

    // Throws TavrixError when the acoustic model or the script's model cannot be loaded.
    SpeechDecoder(const ScriptModel &model, const QString &acousticModelFolder,
                  double utteranceLimitSeconds = defaultUtteranceLimitSeconds);
    ~SpeechDecoder();
    SpeechDecoder(const SpeechDecoder &) = delete;
    SpeechDecoder &operator=(const SpeechDecoder &) = delete;

    static constexpr int sampleRate = 16000;

    // The recogniser takes away a running mean of the sound's spectrum (the speaker's voice, the
    // microphone, the room) that starts at its model's own and moves slowly: a voice or room far
    // from it is misheard for the first sentence or two. The first utterance with this much
    // speech is decoded again from its start, with the mean of that speech as the start value.
    static constexpr double primingSpeechSeconds = 1.5;

    // Decodes the samples; returns what is heard when it changed.
    std::optional<Hypothesis> process(const qint16 *samples, qsizetype count);
    // Ends the current utterance (end of input); returns its words when there were any.
    std::optional<Hypothesis> finish();
    // The longest utterance heard so far, in seconds of audio.
    double longestUtteranceSeconds() const { return double(m_longestUtterance) / sampleRate; }

private:
    std::optional<Hypothesis> hypothesis(bool final);
    void startUtterance();
    void prime();

    std::unique_ptr<NoiseFloor> m_floor;
    cmd_ln_s *m_config = nullptr;
    ps_decoder_s *m_decoder = nullptr;
    bool m_inUtterance = false;
    qsizetype m_utteranceLimit = 0; // samples
    // Past the limit, how long to wait for a gap between words before cutting anyway.
    qsizetype m_utteranceGrace = 0;
    qsizetype m_utteranceSamples = 0;
    double m_utteranceEnergy = 0; // summed over its 10 ms frames
    qsizetype m_utteranceFrames = 0;
    qsizetype m_longestUtterance = 0;
    QString m_lastPartial;
    // Until primed: the utterance's audio as decoded, from a little before its speech began,
    // and the mean's running sum and frame count when it started.
    bool m_primed = false;
    std::vector<qint16> m_utteranceAudio;
    qsizetype m_speechStart = -1; // in m_utteranceAudio
    std::vector<double> m_startSum;
    int m_startFrames = 0;
};

} // namespace voice
