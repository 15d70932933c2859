#include "speechdecoder.h"

#include "noisefloor.h"
#include "scriptmodel.h"
#include "scriptwords.h"
#include "tavrixerror.h"

#include <pocketsphinx.h>
#include <sphinxbase/cmn.h>
#include <sphinxbase/feat.h>

#include <algorithm>

namespace voice {

SpeechDecoder::SpeechDecoder(const ScriptModel &model, const QString &acousticModelFolder,
                             double utteranceLimitSeconds)
    : m_floor(std::make_unique<NoiseFloor>()),
      m_utteranceLimit(std::max<qsizetype>(1, qsizetype(utteranceLimitSeconds * sampleRate))),
      m_utteranceGrace(m_utteranceLimit / 4)
{
    const QByteArray hmm = acousticModelFolder.toLocal8Bit();
    const QByteArray lm = model.languageModelPath().toLocal8Bit();
    const QByteArray dict = model.dictionaryPath().toLocal8Bit();
    // The library's log goes nowhere: the program reports its own errors. A language weight
    // above the default holds the recogniser closer to the script's own word pairs: on speech
    // kept apart from the benchmark's it cut the stalls of a second and a half or more by a
    // quarter. Sixteen Gaussians a frame instead of four, and wider beams, spend the processor
    // the following has to spare on hearing better: stalls over the benchmark's 45 runs fell
    // from 126 to 96, for 5 % of a core to 8 % (7 % with a 100,000-line script's model).
    m_config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", hmm.constData(), "-lm", lm.constData(),
                           "-dict", dict.constData(), "-logfn", "/dev/null", "-samprate", "16000",
                           "-lw", "10", "-topn", "16", "-beam", "1e-60", "-wbeam", "1e-40",
                           "-pbeam", "1e-60", nullptr);
    if (m_config)
        m_decoder = ps_init(m_config);
    if (!m_decoder || ps_start_utt(m_decoder) < 0 || !ps_get_feat(m_decoder)->cmn_struct) {
        if (m_decoder)
            ps_free(m_decoder);
        if (m_config)
            cmd_ln_free_r(m_config);
        throw TavrixError(QStringLiteral("The speech recogniser could not load its model from %1.")
                              .arg(acousticModelFolder));
    }
    startUtterance();
}

SpeechDecoder::~SpeechDecoder()
{
    ps_free(m_decoder);
    cmd_ln_free_r(m_config);
}

std::optional<SpeechDecoder::Hypothesis> SpeechDecoder::hypothesis(bool final)
{
    const char *text = ps_get_hyp(m_decoder, nullptr);
    const QString heard = text ? QString::fromUtf8(text) : QString();
    if (!final && heard == m_lastPartial)
        return std::nullopt;
    m_lastPartial = final ? QString() : heard;
    if (final && heard.isEmpty())
        return std::nullopt;
    return Hypothesis{normalisedWords(heard), final};
}

std::optional<SpeechDecoder::Hypothesis> SpeechDecoder::process(const qint16 *samples,
                                                                qsizetype count)
{
    if (count <= 0)
        return std::nullopt;
    const std::vector<qint16> &heard = m_floor->apply(samples, count);
    ps_process_raw(m_decoder, heard.data(), size_t(count), FALSE, FALSE);
    if (!m_primed) {
        // Kept from half a second before the speech began: the recogniser's own lead-in.
        constexpr qsizetype leadIn = sampleRate / 2;
        m_utteranceAudio.insert(m_utteranceAudio.end(), heard.begin(), heard.end());
        if (m_speechStart < 0 && ps_get_in_speech(m_decoder))
            m_speechStart = qsizetype(m_utteranceAudio.size()) - count;
        const qsizetype keepFrom = m_speechStart < 0 ? qsizetype(m_utteranceAudio.size()) - leadIn
                                                     : m_speechStart - leadIn;
        if (keepFrom > sampleRate) {
            m_utteranceAudio.erase(m_utteranceAudio.begin(), m_utteranceAudio.begin() + keepFrom);
            if (m_speechStart >= 0)
                m_speechStart -= keepFrom;
        }
        const cmn_t *cmn = ps_get_feat(m_decoder)->cmn_struct;
        if (cmn->nframe - m_startFrames >= int(primingSpeechSeconds * 100))
            prime();
    }
    // Counted from the utterance's first block, silence included, as the decoder re-reads it.
    m_utteranceSamples += count;
    // The quietest 10 ms of the block: a gap between words is where a long utterance is cut.
    constexpr qsizetype frame = sampleRate / 100;
    double quietest = -1;
    for (qsizetype at = 0; at + frame <= count; at += frame) {
        double energy = 0;
        for (qsizetype i = at; i < at + frame; ++i)
            energy += double(samples[i]) * samples[i];
        energy /= double(frame);
        m_utteranceEnergy += energy;
        ++m_utteranceFrames;
        quietest = quietest < 0 ? energy : std::min(quietest, energy);
    }
    const bool inSpeech = ps_get_in_speech(m_decoder);
    const bool tooLong = m_utteranceSamples >= m_utteranceLimit;
    const bool atGap = quietest >= 0 && m_utteranceFrames > 0 &&
                       quietest * 20 < m_utteranceEnergy / double(m_utteranceFrames);
    // Past the limit it ends at the next gap between words; noise without gaps, a little later.
    const bool cut =
        tooLong && (atGap || m_utteranceSamples >= m_utteranceLimit + m_utteranceGrace);
    if (inSpeech && !cut) {
        m_inUtterance = true;
        return hypothesis(false);
    }
    if (inSpeech)
        m_inUtterance = true;
    // A pause ends the utterance: the decoder's best account of it is final.
    return finish();
}

std::optional<SpeechDecoder::Hypothesis> SpeechDecoder::finish()
{
    if (!m_inUtterance) {
        m_utteranceSamples = 0;
        m_utteranceEnergy = 0;
        m_utteranceFrames = 0;
        return std::nullopt;
    }
    m_longestUtterance = std::max(m_longestUtterance, m_utteranceSamples);
    m_utteranceSamples = 0;
    m_utteranceEnergy = 0;
    m_utteranceFrames = 0;
    m_inUtterance = false;
    ps_end_utt(m_decoder);
    auto heard = hypothesis(true);
    ps_start_utt(m_decoder);
    startUtterance();
    return heard;
}

void SpeechDecoder::startUtterance()
{
    if (m_primed)
        return;
    cmn_t *cmn = ps_get_feat(m_decoder)->cmn_struct;
    // The library's window restarted at the mean it already subtracts: the frames and sums
    // counted from here are this utterance's alone, and it does not rescale them before the
    // priming point.
    std::vector<mfcc_t> mean(cmn->cmn_mean, cmn->cmn_mean + cmn->veclen);
    cmn_live_set(cmn, mean.data());
    m_startSum.assign(cmn->sum, cmn->sum + cmn->veclen);
    m_startFrames = cmn->nframe;
    m_utteranceAudio.clear();
    m_speechStart = -1;
}

void SpeechDecoder::prime()
{
    cmn_t *cmn = ps_get_feat(m_decoder)->cmn_struct;
    const int frames = cmn->nframe - m_startFrames;
    std::vector<mfcc_t> mean(std::size_t(cmn->veclen));
    for (int i = 0; i < cmn->veclen; ++i)
        mean[std::size_t(i)] = mfcc_t((double(cmn->sum[i]) - m_startSum[std::size_t(i)]) / frames);
    m_primed = true;
    ps_end_utt(m_decoder);
    cmn_live_set(cmn, mean.data());
    ps_start_utt(m_decoder);
    ps_process_raw(m_decoder, m_utteranceAudio.data(), m_utteranceAudio.size(), FALSE, FALSE);
    m_utteranceAudio = {};
    m_startSum = {};
}

} // namespace voice
