// Following the voice: espeak-ng speaks fresh scripts (bench/data/voice) with its word
// events as the spoken times; the speech is replayed through the recogniser and the aligner
// as fast as they decode, each piece's answer counted as ready when a decoder that started
// it on time would have finished it; the page's motion is simulated frame by frame on a
// laid-out page, as the prompter drives it.
#include "bench.h"

#include "audioconverter.h"
#include "followmotion.h"
#include "scriptlistener.h"
#include "scriptwords.h"
#include "wavfile.h"
#include "wavreplay.h"
#include "wordlayout.h"

#include <espeak-ng/speak_lib.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr double kFrameSeconds = 1.0 / 60;
// The band's page: its script area's height and width, a common prompting font size.
constexpr int kViewHeight = 200;
constexpr int kViewWidth = 1600;
constexpr int kFontPixels = 40;
// The Coarse slider's starting value: speed 300's rate is this many pixels a millisecond.
constexpr double kMaxRate = 1.0;

// A stretch of the script spoken in one go, after a pause of its own.
struct Stretch
{
    qsizetype from = 0;
    qsizetype to = 0;
    double silenceBefore = 0;
};

struct Speech
{
    std::vector<qint16> samples; // 16 kHz mono
    // Spoken start of each script word as it was spoken, in order: (seconds, script word).
    std::vector<std::pair<double, qsizetype>> words;
};

struct SynthState
{
    std::vector<qint16> samples;
    std::vector<std::pair<qint32, qint32>> events; // (audio ms, text position)
};

int onSynth(short *wav, int count, espeak_EVENT *events)
{
    auto *state = static_cast<SynthState *>(events->user_data);
    if (wav && count > 0)
        state->samples.insert(state->samples.end(), wav, wav + count);
    for (espeak_EVENT *e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_WORD)
            state->events.emplace_back(e->audio_position, e->text_position);
    }
    return 0;
}

// One stretch of speech, spoken by a synthesiser of its own (see childSpeak): 16 kHz mono and
// the word events, or nothing when the child failed.
std::optional<SynthState> synthesise(const QString &text, const char *voiceName, int wpm)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QStringLiteral("speak"),
                 QStringLiteral("%1/%2").arg(QString::fromLatin1(voiceName)).arg(wpm)});
    child.write(text.toUtf8());
    child.closeWriteChannel();
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return std::nullopt;
    const QByteArray out = child.readAllStandardOutput();
    const auto read32 = [&out](qsizetype at) {
        return at + 4 <= out.size() ? qFromLittleEndian<qint32>(out.constData() + at) : -1;
    };
    const qint32 rate = read32(0);
    const qint32 samples = read32(4);
    const qsizetype eventsAt = 8 + qsizetype(samples) * 2;
    const qint32 events = read32(eventsAt);
    if (rate <= 0 || samples < 0 || events < 0 ||
        eventsAt + 4 + qsizetype(events) * 8 != out.size())
        return std::nullopt;
    SynthState state;
    state.samples.resize(std::size_t(samples));
    std::memcpy(state.samples.data(), out.constData() + 8, std::size_t(samples) * 2);
    for (qint32 e = 0; e < events; ++e)
        state.events.emplace_back(read32(eventsAt + 4 + e * 8), read32(eventsAt + 8 + e * 8));
    voice::AudioConverter converter(rate, 1);
    state.samples = converter.convert(state.samples.data(), qsizetype(state.samples.size()));
    return state;
}

Speech speak(const QString &script, const QList<voice::ScriptWord> &words,
             const std::vector<Stretch> &stretches, const char *voiceName, int wpm)
{
    Speech speech;
    for (const Stretch &stretch : stretches) {
        speech.samples.insert(speech.samples.end(), std::size_t(stretch.silenceBefore * 16000), 0);
        const double start = double(speech.samples.size()) / 16000;
        const std::optional<SynthState> state =
            synthesise(script.mid(stretch.from, stretch.to - stretch.from), voiceName, wpm);
        if (!state)
            qFatal("espeak-ng could not speak with the voice %s", voiceName);
        speech.samples.insert(speech.samples.end(), state->samples.begin(), state->samples.end());
        // Word events count characters from 1; each names the script word it starts in.
        for (const auto &[ms, position] : state->events) {
            const qsizetype at = stretch.from + position - 1;
            const auto it = std::upper_bound(
                words.begin(), words.end(), at,
                [](qsizetype p, const voice::ScriptWord &w) { return p < w.start; });
            if (it == words.begin())
                continue;
            const qsizetype index = qsizetype(it - words.begin()) - 1;
            if (at >= words.at(index).start + words.at(index).length + 1)
                continue; // punctuation espeak-ng counts as a word
            if (!speech.words.empty() && speech.words.back().second == index)
                continue;
            speech.words.emplace_back(start + ms / 1000.0, index);
        }
    }
    speech.samples.insert(speech.samples.end(), 3 * 16000, 0);
    return speech;
}

void writeWav(const QString &path, const std::vector<qint16> &samples)
{
    QByteArray bytes("RIFF\0\0\0\0WAVEfmt ", 16);
    auto u32 = [&bytes](quint32 v) { bytes.append(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&bytes](quint16 v) { bytes.append(reinterpret_cast<const char *>(&v), 2); };
    u32(16);
    u16(1);
    u16(1);
    u32(16000);
    u32(32000);
    u16(2);
    u16(16);
    bytes.append("data", 4);
    u32(quint32(samples.size() * 2));
    bytes.append(reinterpret_cast<const char *>(samples.data()), qsizetype(samples.size() * 2));
    const quint32 riff = quint32(bytes.size() - 8);
    std::memcpy(bytes.data() + 4, &riff, 4);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

struct Run
{
    std::vector<double> frameScroll;                     // scroll position each frame
    std::vector<std::pair<double, qsizetype>> positions; // (ready seconds, aligner position)
    // Each hypothesis as it changed: (ready seconds, its words).
    std::vector<std::pair<double, QString>> heard;
    QStringList unknownWords;
    double audioSeconds = 0;
    double decodeSeconds = 0;
};

Run follow(const QString &script, const QString &wavPath, const QTextDocument &page,
           const WordLayout &layout, double maxScroll)
{
    Run run;
    voice::ScriptListener listener(script);
    run.unknownWords = listener.unknownWords();
    voice::replayWav(wavPath, listener, {}, [&](const voice::ReplayStep &step) {
        run.audioSeconds = step.audioSeconds;
        run.decodeSeconds += step.decodeSeconds;
        if (run.positions.empty() || run.positions.back().second != step.position)
            run.positions.emplace_back(step.readySeconds, step.position);
        const QString heard = listener.lastHeard().join(u' ');
        if (run.heard.empty() || run.heard.back().second != heard)
            run.heard.emplace_back(step.readySeconds, heard);
    });
    FollowMotion motion;
    motion.reset(0);
    std::size_t next = 0;
    for (double t = 0; t < run.audioSeconds + 2; t += kFrameSeconds) {
        while (next < run.positions.size() && run.positions[next].first <= t) {
            const double top = layout.readingTop(page, run.positions[next].second);
            if (top >= 0)
                motion.setTarget(std::clamp(top - kViewHeight / 3.0, 0.0, maxScroll));
            ++next;
        }
        run.frameScroll.push_back(std::round(motion.advance(kFrameSeconds * 1000, kMaxRate)));
    }
    return run;
}

struct Page
{
    QTextDocument document;
    WordLayout layout;
    double lineHeight = 0;
    double maxScroll = 0;

    explicit Page(const QString &script)
    {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(kFontPixels);
        document.setDefaultFont(font);
        document.setTextWidth(kViewWidth);
        document.setPlainText(script);
        QList<qsizetype> starts;
        for (const voice::ScriptWord &w : voice::splitWords(script))
            starts.append(w.start);
        layout.setWordStarts(starts);
        lineHeight = QFontMetricsF(font).lineSpacing();
        maxScroll = std::max(0.0, document.size().height() - kViewHeight);
    }

    // The scroll position that puts the word on the reading line, unclamped.
    double target(qsizetype word) const
    {
        return layout.wordTop(document, word) - kViewHeight / 3.0;
    }
};

// The first frame at or after `from` where the page reaches the word's line.
double reachedAt(const Run &run, const Page &page, qsizetype word, double from)
{
    const double target = std::min(page.target(word), page.maxScroll);
    for (std::size_t f = std::size_t(std::max(0.0, from / kFrameSeconds));
         f < run.frameScroll.size(); ++f) {
        if (run.frameScroll[f] >= target - 1)
            return double(f) * kFrameSeconds;
    }
    return -1;
}

// How far the reading line ran ahead of the word being spoken, at worst, in lines.
double worstAhead(const Run &run, const Page &page, const Speech &speech)
{
    double worst = -1e9;
    std::size_t w = 0;
    for (std::size_t f = 0; f < run.frameScroll.size(); ++f) {
        const double t = double(f) * kFrameSeconds;
        while (w + 1 < speech.words.size() && speech.words[w + 1].first <= t)
            ++w;
        if (speech.words.empty() || speech.words[0].first > t)
            continue;
        const double ahead = run.frameScroll[f] - page.target(speech.words[w].second);
        if (page.target(speech.words[w].second) > 0)
            worst = std::max(worst, ahead / page.lineHeight);
    }
    return worst;
}

QStringList paragraphsOf(const QString &script, QList<qsizetype> *starts)
{
    QStringList paragraphs;
    qsizetype at = 0;
    for (const QString &p : script.split(QStringLiteral("\n\n"))) {
        starts->append(at);
        paragraphs.append(p);
        at += p.size() + 2;
    }
    return paragraphs;
}

QString dataFolder()
{
    return QStringLiteral(TAVRIX_BENCH_DATA "/voice");
}

QString readScript(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

void figure(const QString &name, double value, const char *unit)
{
    report(name.toUtf8().constData(), value, unit);
}

} // namespace

// tavrix-bench --voice-replay WAV SCRIPT [--realtime]: replays speech through the recogniser
// and prints, for each move, the audio time, the time the answer was ready and the word.
int replayVoice(const char *wav, const char *scriptPath, bool realTime, double slowdown)
{
    const QString script = readScript(QString::fromLocal8Bit(scriptPath));
    const QStringList words = voice::normalisedWords(script);
    voice::ScriptListener listener(script);
    qsizetype last = -1;
    double decode = 0;
    double audio = 0;
    qsizetype dropped = 0;
    double droppedSeconds = 0;
    voice::replayWav(QString::fromLocal8Bit(wav), listener,
                     {.realTime = realTime, .slowdown = slowdown},
                     [&](const voice::ReplayStep &step) {
                         decode += step.decodeSeconds;
                         audio = step.audioSeconds;
                         dropped = step.droppedBlocks;
                         droppedSeconds = step.droppedSeconds;
                         if (step.position == last)
                             return;
                         last = step.position;
                         std::printf("%.2f %.2f %lld %s\n", step.audioSeconds, step.readySeconds,
                                     static_cast<long long>(step.position),
                                     qPrintable(words.value(step.position)));
                     });
    std::printf("words %lld reached %lld processor %.1f %%\n", static_cast<long long>(words.size()),
                static_cast<long long>(last + 1), audio > 0 ? 100 * decode / audio : 0);
    std::printf("dropped %lld blocks %.2f s longest utterance %.2f s\n",
                static_cast<long long>(dropped), droppedSeconds,
                listener.longestUtteranceSeconds());
    return 0;
}

// tavrix-bench --child speak VOICE/WPM: speaks the UTF-8 text on standard input and writes
// the synthesiser's rate, its samples and its word events (audio ms, text position), each
// number 32 bits little-endian. A synthesiser of its own for each speech: espeak-ng's female
// variant sounds different by what the same process spoke before (one run's longest stall
// 8.9 s spoken alone, 2.4 s after the other texts).
int childSpeak(const char *argument)
{
    const QStringList parts = QString::fromLocal8Bit(argument).split(u'/');
    const QByteArray voiceName = parts.value(0).toLatin1();
    QFile in;
    if (parts.size() != 2 || !in.open(stdin, QIODevice::ReadOnly))
        return 2;
    const QByteArray utf8 = in.readAll();
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, 0);
    if (rate <= 0 || espeak_SetVoiceByName(voiceName.constData()) != EE_OK)
        return 1;
    espeak_SetSynthCallback(onSynth);
    espeak_SetParameter(espeakRATE, parts.at(1).toInt(), 0);
    SynthState state;
    espeak_Synth(utf8.constData(), size_t(utf8.size() + 1), 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                 nullptr, &state);
    espeak_Synchronize();
    QByteArray out;
    const auto put32 = [&out](qint32 v) {
        const qint32 little = qToLittleEndian(v);
        out.append(reinterpret_cast<const char *>(&little), 4);
    };
    put32(rate);
    put32(qint32(state.samples.size()));
    for (const qint16 sample : state.samples) {
        const qint16 little = qToLittleEndian(sample);
        out.append(reinterpret_cast<const char *>(&little), 2);
    }
    put32(qint32(state.events.size()));
    for (const auto &[ms, position] : state.events) {
        put32(ms);
        put32(position);
    }
    QFile stdOut;
    if (!stdOut.open(stdout, QIODevice::WriteOnly) || stdOut.write(out) != out.size())
        return 1;
    return 0;
}

// A script of 100,000 short lines: what the voice thread does when following starts (the
// speech model, the recogniser, the aligner and the words' places), while the band goes on.
TAVRIX_BENCH_CASE(voice_model_build)
{
    QStringList words;
    for (const QString &file : QDir(dataFolder()).entryList({QStringLiteral("*.txt")}, QDir::Files))
        words += readScript(dataFolder() + u'/' + file).split(u' ', Qt::SkipEmptyParts);
    QStringList script;
    for (qsizetype i = 0; script.size() < 100000; i += 8)
        script.append(QStringList(words.mid(i % (words.size() - 8), 8)).join(u' '));
    const QString text = script.join(u'\n');
    QElapsedTimer clock;
    clock.start();
    voice::ScriptListener listener(text);
    const qsizetype count = voice::splitWords(text).size();
    report("voice_100000_lines_model_and_recogniser", double(clock.nsecsElapsed()) / 1e6, "ms");
    report("voice_100000_lines_words", double(count), "count");
    report("voice_100000_lines_characters", double(text.size()), "count");
    // Decoding against that model: one of the bench's speeches (whose words the long script
    // repeats), replayed as fast as it decodes through the same backlog as the microphone.
    const QString file =
        QDir(dataFolder()).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name).value(0);
    const QString spoken = readScript(dataFolder() + u'/' + file);
    const Speech speech =
        speak(spoken, voice::splitWords(spoken), {{0, spoken.size(), 0}}, "en-us", 165);
    QTemporaryDir folder;
    const QString wav = folder.filePath(QStringLiteral("speech.wav"));
    writeWav(wav, speech.samples);
    double decode = 0;
    double audio = 0;
    qsizetype dropped = 0;
    std::vector<double> lags;
    voice::replayWav(wav, listener, {}, [&](const voice::ReplayStep &step) {
        decode += step.decodeSeconds;
        audio = step.audioSeconds;
        dropped = step.droppedBlocks;
        lags.push_back(step.readySeconds - step.audioSeconds);
    });
    if (lags.empty())
        lags.push_back(0);
    report("voice_100000_lines_decoding_processor", audio > 0 ? 100 * decode / audio : 0, "%");
    report("voice_100000_lines_decoding_lag_median", percentile(lags, 0.5), "s");
    report("voice_100000_lines_decoding_lag_max", *std::max_element(lags.begin(), lags.end()), "s");
    report("voice_100000_lines_decoding_dropped", double(dropped), "blocks");
}

namespace {

// The room the speech is heard in: as spoken, with pink noise 20 dB below the speech, or
// in a reverberant room, each made by sox.
std::vector<qint16> inRoom(const std::vector<qint16> &speech, const QString &room,
                           const QTemporaryDir &folder)
{
    if (room == u"clean")
        return speech;
    const QString dry = folder.filePath(QStringLiteral("dry.wav"));
    const QString wet = folder.filePath(QStringLiteral("wet.wav"));
    writeWav(dry, speech);
    QStringList arguments;
    if (room == u"reverb") {
        // A hall: 60 % reverberance, half the highs damped, a large room.
        arguments = {"-G", dry, wet, "reverb", "60", "50", "90"};
    } else {
        arguments = {"-n",       "-r",
                     "16000",    "-c",
                     "1",        "-b",
                     "16",       wet,
                     "synth",    QString::number(double(speech.size()) / 16000, 'f', 3),
                     "pinknoise"};
    }
    // Repeatable: sox seeds its dither and noise from the clock otherwise, and the recogniser
    // hears a difference that small (one condition's longest stall 3.4 s or 8.9 s by the seed).
    arguments.prepend(QStringLiteral("-R"));
    QProcess sox;
    sox.start(QStringLiteral("sox"), arguments);
    if (!sox.waitForFinished(120000) || sox.exitCode() != 0)
        return {};
    std::vector<qint16> made = voice::readWav(wet).samples;
    if (room == u"reverb")
        return made;
    // The speech's level: the mean power of its 10 ms frames within 40 dB of the loudest.
    auto framePowers = [](const std::vector<qint16> &samples) {
        std::vector<double> powers;
        for (std::size_t at = 0; at + 160 <= samples.size(); at += 160) {
            double power = 0;
            for (std::size_t i = at; i < at + 160; ++i)
                power += double(samples[i]) * samples[i];
            powers.push_back(power / 160);
        }
        return powers;
    };
    const std::vector<double> speechPowers = framePowers(speech);
    const double loudest = *std::max_element(speechPowers.begin(), speechPowers.end());
    double speechPower = 0;
    int active = 0;
    for (double p : speechPowers) {
        if (p >= loudest * 1e-4) {
            speechPower += p;
            ++active;
        }
    }
    speechPower /= std::max(1, active);
    const std::vector<double> noisePowers = framePowers(made);
    double noisePower = 0;
    for (double p : noisePowers)
        noisePower += p;
    noisePower /= double(std::max<std::size_t>(1, noisePowers.size()));
    const double gain = noisePower > 0 ? std::sqrt(speechPower / noisePower / 100) : 0;
    std::vector<qint16> mixed(speech.size());
    for (std::size_t i = 0; i < speech.size(); ++i) {
        const double noise = i < made.size() ? made[i] * gain : 0;
        mixed[i] = qint16(std::clamp(speech[i] + noise, -32768.0, 32767.0));
    }
    return mixed;
}

// Which runs this process makes: TAVRIX_BENCH_VOICE_SHARD "i/n" takes every n-th from the
// i-th, so that bench/run can share them between processes; TAVRIX_BENCH_VOICE_ONLY keeps
// the runs whose figures' names match that pattern.
bool runChosen(int index, const QString &prefix)
{
    const QString only = qEnvironmentVariable("TAVRIX_BENCH_VOICE_ONLY");
    if (!only.isEmpty() && !prefix.contains(QRegularExpression(only)))
        return false;
    const QStringList shard = qEnvironmentVariable("TAVRIX_BENCH_VOICE_SHARD").split(u'/');
    if (shard.size() != 2 || shard.at(1).toInt() <= 0)
        return true;
    return index % shard.at(1).toInt() == shard.at(0).toInt();
}

// The script word being spoken at a moment: the last one started by then, or -1 before the first.
qsizetype wordBeingSpoken(const Speech &speech, double seconds)
{
    const auto spoken = std::find_if(speech.words.rbegin(), speech.words.rend(),
                                     [&](const auto &w) { return w.first <= seconds; });
    return spoken == speech.words.rend() ? -1 : spoken->second;
}

// How far the aligner's position was ever past the word being spoken, in words.
double worstAheadWords(const Run &run, const Speech &speech)
{
    double worst = -1e9;
    for (const auto &[ready, position] : run.positions) {
        const qsizetype spoken = wordBeingSpoken(speech, ready);
        if (spoken >= 0 && position >= 0)
            worst = std::max(worst, double(position - spoken));
    }
    return worst;
}

// What was said from a second before a stall to its end: a sentence's first word is marked
// "|", one the dictionary lacks "*".
QStringList saidDuring(const Run &run, const Speech &speech, const QStringList &scriptWords,
                       const QSet<qsizetype> &openings, std::size_t move)
{
    const double a = run.positions[move - 1].first;
    const double b = run.positions[move].first;
    QStringList said;
    for (const auto &[t, w] : speech.words) {
        if (t <= a - 1 || t >= b)
            continue;
        const QString word = scriptWords.value(w);
        said.append((openings.contains(w) ? QStringLiteral("|") : QString()) + word +
                    (run.unknownWords.contains(word) ? QStringLiteral("*") : QString()));
    }
    return said;
}

// Why the position held: a word the dictionary lacks, a sentence's opening words after its
// pause misheard, or words misheard in mid-sentence.
enum class StallCause
{
    UnknownWord,
    Opening,
    MidSentence
};

StallCause causeOf(const QStringList &said)
{
    if (std::any_of(said.begin(), said.end(), [](const QString &w) { return w.endsWith(u'*'); }))
        return StallCause::UnknownWord;
    for (qsizetype i = 0; i < std::min<qsizetype>(3, said.size()); ++i) {
        if (said.at(i).startsWith(u'|'))
            return StallCause::Opening;
    }
    return StallCause::MidSentence;
}

// TAVRIX_BENCH_VOICE_STALLS names a file that each stall is added to: what was said, the
// script's words at the position, and what the recogniser heard meanwhile.
void logStall(const QString &prefix, const Run &run, const QStringList &said,
              const QStringList &scriptWords, std::size_t move)
{
    const QString path = qEnvironmentVariable("TAVRIX_BENCH_VOICE_STALLS");
    if (path.isEmpty())
        return;
    const auto [a, position] = run.positions[move - 1];
    const double b = run.positions[move].first;
    QString text = QStringLiteral("%1 %2-%3 s at %4 (\"%5\") moved to %6\n  said:  %7\n")
                       .arg(prefix)
                       .arg(a, 0, 'f', 2)
                       .arg(b, 0, 'f', 2)
                       .arg(position)
                       .arg(scriptWords.mid(std::max<qsizetype>(0, position - 2), 3).join(u' '))
                       .arg(run.positions[move].second)
                       .arg(said.join(u' '));
    for (const auto &[t, heard] : run.heard) {
        if (t > a - 1 && t <= b + 0.05)
            text += QStringLiteral("  %1 %2\n").arg(t, 6, 'f', 2).arg(heard);
    }
    QFile file(path);
    if (file.open(QIODevice::Append | QIODevice::Text))
        file.write(text.toUtf8());
}

// TAVRIX_BENCH_VOICE_AHEAD names a file that each move three or more words past the word
// being spoken is added to: the words said until then and what the recogniser heard.
void logAhead(const QString &prefix, const Run &run, const Speech &speech,
              const QStringList &scriptWords)
{
    const QString path = qEnvironmentVariable("TAVRIX_BENCH_VOICE_AHEAD");
    if (path.isEmpty())
        return;
    QString text;
    for (const auto &[ready, position] : run.positions) {
        const qsizetype spoken = wordBeingSpoken(speech, ready);
        if (spoken < 0 || position - spoken < 3)
            continue;
        text += QStringLiteral("%1 %2 s at %3 (\"%4\") while saying %5 (\"%6\")\n")
                    .arg(prefix)
                    .arg(ready, 0, 'f', 2)
                    .arg(position)
                    .arg(scriptWords.mid(std::max<qsizetype>(0, position - 2), 3).join(u' '))
                    .arg(spoken)
                    .arg(scriptWords.mid(std::max<qsizetype>(0, spoken - 5), 6).join(u' '));
        for (const auto &[t, heard] : run.heard) {
            if (t > ready - 2 && t <= ready + 0.05)
                text += QStringLiteral("  %1 %2\n").arg(t, 6, 'f', 2).arg(heard);
        }
    }
    QFile file(path);
    if (!text.isEmpty() && file.open(QIODevice::Append | QIODevice::Text))
        file.write(text.toUtf8());
}

} // namespace

TAVRIX_BENCH_CASE(voice_follow)
{
    QTemporaryDir folder;
    const QStringList files =
        QDir(dataFolder()).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    // Not every combination: each condition on every text, rates from 120 to 200 words a
    // minute, noise and the hall on the American, British and a female voice. espeak-ng names
    // its British voice "en" (the language en-gb); a name it does not know fails the run.
    struct Condition
    {
        const char *voice;
        const char *label;
        int wpm;
        const char *room;
        bool scenarios;
    };
    const Condition conditions[] = {
        {"en-us", "en-us", 120, "clean", false},
        {"en-us", "en-us", 160, "clean", true},
        {"en-us", "en-us", 200, "clean", false},
        {"en-us", "en-us", 165, "noise", false},
        {"en-us", "en-us", 165, "reverb", false},
        {"en", "en-gb", 150, "clean", false},
        {"en", "en-gb", 185, "noise", false},
        {"en-us+f3", "en-us-f3", 140, "clean", false},
        {"en-us+f3", "en-us-f3", 175, "reverb", false},
    };
    int index = 0;
    for (const QString &file : files) {
        const QString script = readScript(dataFolder() + u'/' + file);
        const QString textName = QFileInfo(file).completeBaseName();
        const QList<voice::ScriptWord> words = voice::splitWords(script);
        const QStringList scriptWords = voice::normalisedWords(script);
        // Each sentence's first word.
        QSet<qsizetype> openings{0};
        for (qsizetype w = 1; w < words.size(); ++w) {
            const QStringView gap = QStringView(script).mid(
                words.at(w - 1).start + words.at(w - 1).length,
                words.at(w).start - words.at(w - 1).start - words.at(w - 1).length);
            if (gap.contains(u'.') || gap.contains(u'!') || gap.contains(u'?'))
                openings.insert(w);
        }
        const Page page(script);
        QList<qsizetype> starts;
        const QStringList paragraphs = paragraphsOf(script, &starts);
        const qsizetype length = script.size();
        for (const Condition &v : conditions) {
            const QString prefix = QStringLiteral("voice_%1_%2_%3wpm_%4_")
                                       .arg(textName, QString::fromLatin1(v.label))
                                       .arg(v.wpm)
                                       .arg(QString::fromLatin1(v.room));
            if (!runChosen(index++, prefix))
                continue;
            auto run = [&](const std::vector<Stretch> &stretches, Speech *speech) {
                *speech = speak(script, words, stretches, v.voice, v.wpm);
                const QString wav = folder.filePath(QStringLiteral("speech.wav"));
                writeWav(wav, inRoom(speech->samples, QString::fromLatin1(v.room), folder));
                return follow(script, wav, page.document, page.layout, page.maxScroll);
            };

            // Read straight through.
            Speech speech;
            const Run straight = run({{0, length, 0}}, &speech);
            std::vector<double> lags;
            std::vector<double> heardLags;
            int unreached = 0;
            for (const auto &[spoken, word] : speech.words) {
                for (const auto &[ready, position] : straight.positions) {
                    if (position >= word) {
                        heardLags.push_back(std::max(0.0, ready - spoken));
                        break;
                    }
                }
                if (page.target(word) <= 0)
                    continue; // above the reading line from the start
                const double reached = reachedAt(straight, page, word, 0);
                if (reached < 0)
                    ++unreached;
                else
                    lags.push_back(std::max(0.0, reached - spoken));
            }
            figure(prefix + u"lag_median", percentile(lags, 0.5), "s");
            figure(prefix + u"lag_p95", percentile(lags, 0.95), "s");
            figure(prefix + u"recognised_lag_median", percentile(heardLags, 0.5), "s");
            figure(prefix + u"words_never_reached", unreached, "count");
            figure(prefix + u"worst_ahead", worstAhead(straight, page, speech), "lines");
            figure(prefix + u"worst_ahead_words", worstAheadWords(straight, speech), "words");
            logAhead(prefix, straight, speech, scriptWords);
            figure(prefix + u"processor", 100 * straight.decodeSeconds / straight.audioSeconds,
                   "%");
            // Stalls: 1.5 s or more without a move while three or more words were spoken.
            int stalls = 0;
            double stalled = 0;
            double longest = 0;
            int causes[3] = {};
            for (std::size_t i = 1; i < straight.positions.size(); ++i) {
                const double a = straight.positions[i - 1].first;
                const double b = straight.positions[i].first;
                const auto said =
                    std::count_if(speech.words.begin(), speech.words.end(),
                                  [&](const auto &w) { return w.first > a && w.first < b; });
                if (b - a >= 1.5 && said >= 3) {
                    ++stalls;
                    stalled += b - a;
                    longest = std::max(longest, b - a);
                    const QStringList saidWords =
                        saidDuring(straight, speech, scriptWords, openings, i);
                    ++causes[int(causeOf(saidWords))];
                    logStall(prefix, straight, saidWords, scriptWords, i);
                }
            }
            figure(prefix + u"stalls", stalls, "count");
            figure(prefix + u"stalled", stalled, "s");
            figure(prefix + u"longest_stall", longest, "s");
            figure(prefix + u"stalls_unknown_word", causes[int(StallCause::UnknownWord)], "count");
            figure(prefix + u"stalls_opening", causes[int(StallCause::Opening)], "count");
            figure(prefix + u"stalls_mid_sentence", causes[int(StallCause::MidSentence)], "count");
            if (!v.scenarios || paragraphs.size() < 4)
                continue;

            // The second paragraph skipped: from the third's first word to the page there.
            {
                Speech skipped;
                const Run r = run({{0, starts[1], 0}, {starts[2], length, 0}}, &skipped);
                const auto first =
                    std::find_if(skipped.words.begin(), skipped.words.end(), [&](const auto &w) {
                        return words.at(w.second).start >= starts[2];
                    });
                const double reached = reachedAt(r, page, first->second, first->first);
                for (std::size_t i = 1; i < r.positions.size(); ++i) {
                    if (r.positions[i].second >= first->second) {
                        logStall(prefix + u"skip_", r,
                                 saidDuring(r, skipped, scriptWords, openings, i), scriptWords, i);
                        break;
                    }
                }
                figure(prefix + u"skipped_paragraph_catch_up",
                       reached < 0 ? -1 : reached - first->first, "s");
                figure(prefix + u"skipped_worst_ahead", worstAhead(r, page, skipped), "lines");
                figure(prefix + u"skipped_worst_ahead_words", worstAheadWords(r, skipped), "words");
            }
            // A sentence of the second paragraph read twice.
            {
                const QString p = paragraphs[1];
                const qsizetype end1 = p.indexOf(u'.') + 1;
                const qsizetype end2 = p.indexOf(u'.', end1) + 1;
                const qsizetype from = starts[1] + end1 + 1;
                const qsizetype to = starts[1] + end2;
                Speech repeated;
                const Run r = run({{0, to, 0}, {from, length, 0}}, &repeated);
                // The second reading: spoken words after the sentence's last word, back in it.
                qsizetype lastWord = 0;
                while (lastWord + 1 < words.size() && words.at(lastWord + 1).start < to)
                    ++lastWord;
                double secondStart = -1;
                double secondEnd = -1;
                bool seenEnd = false;
                for (const auto &[t, w] : repeated.words) {
                    if (w == lastWord && !seenEnd) {
                        seenEnd = true;
                        continue;
                    }
                    if (seenEnd && secondStart < 0 && words.at(w).start >= from &&
                        words.at(w).start < to)
                        secondStart = t;
                    if (secondStart >= 0 && w == lastWord) {
                        secondEnd = t;
                        break;
                    }
                }
                double overrun = -1e9;
                for (std::size_t f = std::size_t(secondStart / kFrameSeconds);
                     secondStart >= 0 && f < r.frameScroll.size() &&
                     double(f) * kFrameSeconds <= secondEnd + 1;
                     ++f)
                    overrun = std::max(overrun, (r.frameScroll[f] - page.target(lastWord)) /
                                                    page.lineHeight);
                figure(prefix + u"repeated_sentence_beyond_its_end", overrun, "lines");
            }
            // Ten seconds of silence after the second paragraph.
            {
                Speech paused;
                const Run r = run({{0, starts[2], 0}, {starts[2], length, 10}}, &paused);
                double silenceStart = 0;
                for (const auto &[t, w] : paused.words) {
                    if (words.at(w).start < starts[2])
                        silenceStart = t;
                }
                // From two seconds after the last word to the end of the silence.
                const auto a = std::size_t((silenceStart + 2) / kFrameSeconds);
                const auto b = std::min(r.frameScroll.size() - 1,
                                        std::size_t((silenceStart + 10) / kFrameSeconds));
                double moved = 0;
                for (std::size_t f = a + 1; f <= b; ++f)
                    moved += std::abs(r.frameScroll[f] - r.frameScroll[f - 1]);
                figure(prefix + u"silence_movement", moved, "px");
            }
        }
    }
}
