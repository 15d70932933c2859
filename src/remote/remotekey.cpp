#include "remotekey.h"

#include <QRandomGenerator>

#include <array>

QByteArray makeRemoteKey()
{
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), sizeof words).toHex();
}

bool sameKey(const QByteArray &given, const QByteArray &expected)
{
    unsigned difference = given.size() == expected.size() ? 0U : 1U;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const char g = i < given.size() ? given.at(i) : '\0';
        difference |= unsigned(static_cast<unsigned char>(g ^ expected.at(i)));
    }
    return !expected.isEmpty() && difference == 0;
}
