#include "scriptmodel.h"

#include "scriptwords.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>
#include <map>

namespace voice {

namespace {

// Absolute discount of seen word pairs; what it frees goes to the single-word estimate. At
// half, the recogniser filled a misheard stretch with the script's short words and the
// position stalled; a fifth cut those stalls by a fifth, also on speech not used to choose
// it. A tenth made whole phrases of a far sentence out of mishearings.
constexpr double kDiscount = 0.2;
const QString kStart = QStringLiteral("<s>");
const QString kEnd = QStringLiteral("</s>");

// Entries of the pronunciation dictionary for the words wanted, alternatives ("word(2)") too.
QHash<QString, QStringList> readDictionary(const QString &path, const QSet<QString> &wanted)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw TavrixError(QStringLiteral("Cannot read the pronunciation dictionary %1.").arg(path));
    QHash<QString, QStringList> entries;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype space = line.indexOf(u' ');
        if (space <= 0)
            continue;
        const QString head = line.left(space);
        const qsizetype paren = head.indexOf(u'(');
        const QString word = paren > 0 ? head.left(paren) : head;
        if (wanted.contains(word))
            entries[word].append(line);
    }
    return entries;
}

// Sentences of known words: a sentence ends at . ! ? or a line break between two words.
QList<QStringList> sentencesOf(const QString &text, const QSet<QString> &known)
{
    QList<QStringList> sentences(1);
    const QList<ScriptWord> words = splitWords(text);
    qsizetype previousEnd = 0;
    for (const ScriptWord &word : words) {
        const QStringView gap = QStringView(text).mid(previousEnd, word.start - previousEnd);
        bool ends = false;
        for (QChar c : gap)
            ends = ends || c == u'.' || c == u'!' || c == u'?' || c == u'\n' || c == u'\r';
        if (ends && !sentences.last().isEmpty())
            sentences.append(QStringList());
        // A word the recogniser cannot hear is left out; its neighbours become a pair.
        if (known.contains(word.text))
            sentences.last().append(word.text);
        previousEnd = word.start + word.length;
    }
    if (sentences.last().isEmpty())
        sentences.removeLast();
    return sentences;
}

QString log10Text(double p)
{
    return QString::number(std::log10(p), 'f', 4);
}

void writeText(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw TavrixError(QStringLiteral("Cannot write the speech model to %1.").arg(path));
}

// An ARPA model of the script's single words and word pairs, sentence starts and ends included.
QString arpaModel(const QList<QStringList> &sentences)
{
    std::map<QString, double> unigrams;
    std::map<QString, std::map<QString, double>> bigrams;
    double total = 0;
    for (const QStringList &sentence : sentences) {
        QString previous = kStart;
        for (qsizetype i = 0; i <= sentence.size(); ++i) {
            const QString &word = i < sentence.size() ? sentence.at(i) : kEnd;
            unigrams[word] += 1;
            total += 1;
            bigrams[previous][word] += 1;
            previous = word;
        }
    }
    unigrams[kStart] += 0; // present, never predicted
    // Add-one single-word estimate, so every script word can follow any other.
    const double vocabulary = double(unigrams.size());
    std::map<QString, double> p1;
    for (const auto &[word, count] : unigrams)
        p1[word] = word == kStart ? 0 : (count + 1) / (total + vocabulary);

    QString text;
    QTextStream out(&text);
    qsizetype pairCount = 0;
    for (const auto &[first, nexts] : bigrams)
        pairCount += qsizetype(nexts.size());
    out << "\\data\\\nngram 1=" << unigrams.size() << "\nngram 2=" << pairCount
        << "\n\n\\1-grams:\n";
    for (const auto &[word, p] : p1) {
        const QString prob = word == kStart ? QStringLiteral("-99.0000") : log10Text(p);
        out << prob << ' ' << word;
        const auto it = bigrams.find(word);
        if (it != bigrams.end()) {
            double seenCount = 0;
            double seenLower = 0;
            for (const auto &[next, count] : it->second) {
                seenCount += count;
                seenLower += p1[next];
            }
            const double freed = kDiscount * double(it->second.size()) / seenCount;
            const double weight = seenLower < 1 ? freed / (1 - seenLower) : freed;
            out << ' ' << log10Text(std::max(weight, 1e-6));
        }
        out << '\n';
    }
    out << "\n\\2-grams:\n";
    for (const auto &[first, nexts] : bigrams) {
        double seenCount = 0;
        for (const auto &[next, count] : nexts)
            seenCount += count;
        for (const auto &[next, count] : nexts)
            out << log10Text((count - kDiscount) / seenCount) << ' ' << first << ' ' << next
                << '\n';
    }
    out << "\n\\end\\\n";
    out.flush();
    return text;
}

} // namespace

QString ScriptModel::defaultModelFolder()
{
    return QStringLiteral("/usr/share/pocketsphinx/model/en-us/en-us");
}

QString ScriptModel::defaultDictionary()
{
    return QStringLiteral("/usr/share/pocketsphinx/model/en-us/cmudict-en-us.dict");
}

ScriptModel::ScriptModel(const QString &scriptText, const QString &dictionaryPath)
    : m_folder(std::make_unique<QTemporaryDir>())
{
    if (!m_folder->isValid())
        throw TavrixError(QStringLiteral("Cannot make a temporary folder for the speech model."));
    QSet<QString> wanted;
    for (const QString &word : normalisedWords(scriptText))
        wanted.insert(word);
    const QHash<QString, QStringList> entries = readDictionary(dictionaryPath, wanted);

    QSet<QString> known;
    QStringList dictionaryLines;
    for (const QString &word : std::as_const(wanted)) {
        const auto it = entries.constFind(word);
        if (it == entries.cend()) {
            m_unknownWords.append(word);
            continue;
        }
        known.insert(word);
        dictionaryLines += *it;
    }
    m_unknownWords.sort();
    m_knownWordCount = known.size();
    if (known.isEmpty())
        throw TavrixError(texts::rsNothingToFollow);
    dictionaryLines.sort();

    m_dictionaryPath = m_folder->filePath(QStringLiteral("script.dict"));
    m_languageModelPath = m_folder->filePath(QStringLiteral("script.lm"));
    writeText(m_dictionaryPath, dictionaryLines.join(u'\n') + u'\n');
    writeText(m_languageModelPath, arpaModel(sentencesOf(scriptText, known)));
}

ScriptModel::~ScriptModel() = default;

} // namespace voice
