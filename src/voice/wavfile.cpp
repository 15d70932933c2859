#include "wavfile.h"

#include "tavrixerror.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace voice {

namespace {

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

} // namespace

WavAudio readWav(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TavrixError(QStringLiteral("Cannot open %1.").arg(path));
    const QByteArray bytes = file.readAll();
    const auto bad = [&path] {
        return TavrixError(
            QStringLiteral("%1 is not a WAVE file this program can read.").arg(path));
    };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        throw bad();
    int format = 0;
    int bits = 0;
    WavAudio audio;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = le32(bytes.constData() + at + 4);
        const qsizetype body = at + 8;
        // espeak-ng writes a streaming header whose data size is 0x7fffffff or 0.
        const qsizetype available = std::min(size, bytes.size() - body);
        if (id == "fmt " && available >= 16) {
            format = le16(bytes.constData() + body);
            audio.channels = le16(bytes.constData() + body + 2);
            audio.sampleRate = int(le32(bytes.constData() + body + 4));
            bits = le16(bytes.constData() + body + 14);
        } else if (id == "data") {
            if (audio.channels <= 0 || audio.sampleRate <= 0)
                throw bad();
            const qsizetype length = size == 0 ? bytes.size() - body : available;
            const char *data = bytes.constData() + body;
            if (format == 1 && bits == 16) {
                audio.samples.resize(std::size_t(length / 2));
                for (std::size_t i = 0; i < audio.samples.size(); ++i)
                    audio.samples[i] = qint16(le16(data + 2 * i));
            } else if (format == 1 && bits == 8) {
                audio.samples.resize(std::size_t(length));
                for (std::size_t i = 0; i < audio.samples.size(); ++i)
                    audio.samples[i] = qint16((int(quint8(data[i])) - 128) * 256);
            } else if (format == 3 && bits == 32) {
                audio.samples.resize(std::size_t(length / 4));
                for (std::size_t i = 0; i < audio.samples.size(); ++i) {
                    const quint32 raw = le32(data + 4 * i);
                    float value = 0;
                    std::memcpy(&value, &raw, sizeof value);
                    audio.samples[i] = qint16(std::clamp(value, -1.0F, 1.0F) * 32767);
                }
            } else {
                throw bad();
            }
            const std::size_t whole = audio.samples.size() / std::size_t(audio.channels);
            audio.samples.resize(whole * std::size_t(audio.channels));
            return audio;
        }
        at = body + size + (size & 1);
        if (size < 0 || at < body)
            break;
    }
    throw bad();
}

} // namespace voice
