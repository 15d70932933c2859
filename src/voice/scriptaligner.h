#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace voice {

// Follows a speaker through a script from the words a recogniser hears. Widget-free.
// The position only moves on evidence: the last words heard must match the script in
// order, near and ahead of where the speaker was; going back or far ahead needs more words.
class ScriptAligner final
{
public:
    explicit ScriptAligner(const QStringList &scriptWords = {});

    void setScript(const QStringList &scriptWords);
    qsizetype scriptSize() const { return qsizetype(m_script.size()); }

    // The utterance heard so far; each partial replaces the previous one.
    bool hearPartial(const QStringList &words);
    // The utterance ended: its words become the history later partials extend.
    bool hearFinal(const QStringList &words);

    // Index of the last script word the speaker has reached, -1 before the first.
    qsizetype position() const { return m_position; }
    void reset(qsizetype position = -1);

    // How far the searches reach, in script words.
    static constexpr int heardWords = 8;
    static constexpr qsizetype nearAhead = 40;
    static constexpr qsizetype wideAhead = 4000;
    static constexpr qsizetype backReach = 400;
    // Evidence, in order, before the position moves back or beyond the near window: a common
    // word counts one, a rare one two; four words with three rare, or five with two. Ahead,
    // those words must be one run that ends with the last words heard.
    static constexpr int farEvidence = 7;
    // A move beyond this many words must be confirmed by the words heard after its first
    // match: the run of matches ends with the last words heard.
    static constexpr qsizetype confirmedBeyond = 2;
    // Words a speaker can have read since the last move beyond the words heard since then
    // (half as many again for a run of `missedWordsRun` heard exactly): a longer move is
    // a skip, and needs a run of `skipRun` words.
    static constexpr qsizetype readSlack = 2;
    static constexpr int missedWordsRun = 3;
    static constexpr int skipRun = 4;

private:
    struct Candidate
    {
        qsizetype end = -1;
        // Weighted matches (see m_weights).
        int matches = 0;
        // Matches beyond the position: evidence of a move rather than of where the speaker was.
        int newMatches = 0;
        int score = 0;
        // Which heard word matched the candidate's script word.
        int anchor = -1;
    };

    // In-order matches of the heard words that end at `anchor` against the script words that
    // end at `end`, one run allowing `slips` misheard, missed or extra words; only heard words
    // from `firstHeard` and script words after `floor` count.
    struct Run
    {
        int words = 0;
        int weight = 0;
        // Words other than the commonest of English ("the", "and", "will").
        int content = 0;
        // Heard words inside the run that match nothing in it.
        int added = 0;
    };
    Run runEndingAt(qsizetype end, int anchor, qsizetype floor, int firstHeard, int slips) const;
    bool isFunctionWord(int id) const;

    std::vector<int> toIds(const QStringList &words) const;
    // The next hypothesis of the utterance may hold more or fewer words than the last (a final
    // decodes it all again): the word that last moved the position keeps its place among the
    // words the two share, counted from the start or from the end, and never lies past the new
    // hypothesis's end, or the words heard next would not count as fresh evidence.
    void rebaseAnchor(const std::vector<int> &next);
    // A final hypothesis decodes the same audio as the partials before it, so it may move the
    // position ahead but never back to a re-read.
    bool update(bool mayGoBack);
    // Near searches weigh distance ahead against the evidence; far ones only break ties by it.
    Candidate bestIn(qsizetype from, qsizetype to, int slack, bool near) const;
    int matchesEndingAt(qsizetype end, int anchor, int slack, qsizetype floor,
                        int firstHeard) const;

    std::vector<int> m_script;
    // Evidence weight of each word id: rare words count more.
    std::vector<int> m_weights;
    // Word ids of the commonest English words: never evidence of a move on their own.
    std::vector<bool> m_function;
    // Where each word occurs, ascending, indexed by word id.
    std::vector<std::vector<qsizetype>> m_occurrences;
    QHash<QString, int> m_ids;
    std::vector<int> m_history;
    std::vector<int> m_partial;
    std::vector<int> m_heard;
    qsizetype m_position = -1;
    // Words heard since the start, counted across utterances, and which of them moved the
    // position last: only later words are evidence of a further move.
    qsizetype m_finalWordCount = 0;
    qsizetype m_lastAnchor = -1;
    int m_firstFresh = 0;
};

} // namespace voice
