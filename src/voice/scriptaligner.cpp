#include "scriptaligner.h"

#include <algorithm>

namespace voice {

namespace {

// Score units: a matched word is worth this much; trailing unmatched heard words and
// distance ahead cost against it.
constexpr int matchWeight = 4;
constexpr int trailingCost = 3;
// Anchors considered: the script word the speaker reached is one of the last heard.
constexpr int anchorWords = 3;
// Evidence a rare word carries, against one for a common word.
constexpr int rareWeight = 2;

// The commonest English words: a recogniser that mishears a phrase hears these most, and they
// occur everywhere in any script, whatever its length.
const QStringList &functionWords()
{
    static const QStringList words = {
        "a",      "about", "after", "all",   "also",  "am",    "an",    "and",   "any",   "are",
        "as",     "at",    "be",    "been",  "but",   "by",    "can",   "could", "did",   "do",
        "does",   "each",  "for",   "from",  "had",   "has",   "have",  "he",    "her",   "here",
        "him",    "his",   "how",   "i",     "if",    "in",    "into",  "is",    "it",    "it's",
        "its",    "just",  "may",   "me",    "might", "more",  "must",  "my",    "no",    "not",
        "now",    "of",    "on",    "one",   "or",    "our",   "out",   "over",  "shall", "she",
        "should", "so",    "some",  "than",  "that",  "the",   "their", "them",  "then",  "there",
        "these",  "they",  "this",  "those", "to",    "until", "up",    "us",    "very",  "was",
        "we",     "were",  "what",  "when",  "where", "which", "who",   "will",  "with",  "would",
        "you",    "your"};
    return words;
}

} // namespace

ScriptAligner::ScriptAligner(const QStringList &scriptWords)
{
    setScript(scriptWords);
}

void ScriptAligner::setScript(const QStringList &scriptWords)
{
    m_ids.clear();
    m_script.clear();
    m_occurrences.clear();
    m_script.reserve(std::size_t(scriptWords.size()));
    for (const QString &word : scriptWords) {
        auto it = m_ids.constFind(word);
        if (it == m_ids.cend()) {
            it = m_ids.insert(word, int(m_occurrences.size()));
            m_occurrences.emplace_back();
        }
        m_occurrences[std::size_t(*it)].push_back(qsizetype(m_script.size()));
        m_script.push_back(*it);
    }
    // A word the script says often ("the", "and") is weak evidence of where the speaker is.
    const std::size_t rareLimit = std::max<std::size_t>(2, m_script.size() / 100);
    m_weights.clear();
    for (const std::vector<qsizetype> &where : m_occurrences)
        m_weights.push_back(where.size() <= rareLimit ? rareWeight : 1);
    m_function.assign(m_occurrences.size(), false);
    for (const QString &word : functionWords()) {
        if (const auto it = m_ids.constFind(word); it != m_ids.cend()) {
            m_function[std::size_t(*it)] = true;
            m_weights[std::size_t(*it)] = 1;
        }
    }
    reset();
}

void ScriptAligner::reset(qsizetype position)
{
    m_position = std::clamp<qsizetype>(position, -1, scriptSize() - 1);
    m_history.clear();
    m_partial.clear();
    m_heard.clear();
    m_finalWordCount = 0;
    m_lastAnchor = -1;
    m_firstFresh = 0;
}

std::vector<int> ScriptAligner::toIds(const QStringList &words) const
{
    std::vector<int> ids;
    ids.reserve(std::size_t(words.size()));
    for (const QString &word : words)
        ids.push_back(m_ids.value(word, -1)); // a word the script lacks never matches
    return ids;
}

void ScriptAligner::rebaseAnchor(const std::vector<int> &next)
{
    const qsizetype at = m_lastAnchor - m_finalWordCount;
    if (at < 0)
        return;
    const qsizetype before = qsizetype(m_partial.size());
    const qsizetype after = qsizetype(next.size());
    const qsizetype shared = std::min(before, after);
    qsizetype prefix = 0;
    while (prefix < shared && m_partial[std::size_t(prefix)] == next[std::size_t(prefix)])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shared &&
           m_partial[std::size_t(before - 1 - suffix)] == next[std::size_t(after - 1 - suffix)])
        ++suffix;
    const qsizetype moved = at >= prefix && at >= before - suffix ? at - before + after : at;
    m_lastAnchor = m_finalWordCount + std::min(moved, after - 1);
}

bool ScriptAligner::hearPartial(const QStringList &words)
{
    const std::size_t before = m_partial.size();
    std::vector<int> next = toIds(words);
    rebaseAnchor(next);
    m_partial = std::move(next);
    return update(m_partial.size() > before);
}

bool ScriptAligner::hearFinal(const QStringList &words)
{
    std::vector<int> final = toIds(words);
    rebaseAnchor(final);
    m_partial = std::move(final);
    const bool moved = update(false);
    m_history.insert(m_history.end(), m_partial.begin(), m_partial.end());
    m_finalWordCount += qsizetype(m_partial.size());
    if (m_history.size() > std::size_t(heardWords))
        m_history.erase(m_history.begin(), m_history.end() - heardWords);
    m_partial.clear();
    return moved;
}

int ScriptAligner::matchesEndingAt(qsizetype end, int anchor, int slack, qsizetype floor,
                                   int firstHeard) const
{
    // Longest in-order match of the heard words before the anchor (from `firstHeard`) against
    // the script words just before `end` (from `floor`), within a span that allows `slack`
    // skipped or misheard words.
    firstHeard = std::clamp(firstHeard, 0, anchor);
    const int before = anchor - firstHeard;
    const qsizetype span = std::min<qsizetype>(end - std::max<qsizetype>(floor, 0), before + slack);
    const int anchorWeight = m_weights[std::size_t(m_script[std::size_t(end)])];
    if (before == 0 || span <= 0)
        return anchorWeight;
    const qsizetype from = end - span;
    // Rolling rows of the classic table, sized for the few words compared.
    int prev[heardWords + 1] = {};
    int row[heardWords + 1] = {};
    for (qsizetype s = 0; s < span; ++s) {
        const int scriptWord = m_script[std::size_t(from + s)];
        const int weight = m_weights[std::size_t(scriptWord)];
        row[0] = 0;
        for (int h = 1; h <= before; ++h) {
            if (m_heard[std::size_t(firstHeard + h - 1)] == scriptWord)
                row[h] = prev[h - 1] + weight;
            else
                row[h] = std::max(prev[h], row[h - 1]);
        }
        std::copy(row, row + before + 1, prev);
    }
    return anchorWeight + prev[before];
}

bool ScriptAligner::isFunctionWord(int id) const
{
    return id >= 0 && m_function[std::size_t(id)];
}

ScriptAligner::Run ScriptAligner::runEndingAt(qsizetype end, int anchor, qsizetype floor,
                                              int firstHeard, int slips) const
{
    Run run;
    int errors = 0;
    qsizetype s = end;
    int h = anchor;
    const auto matches = [&](int heard, qsizetype script) {
        return heard >= firstHeard && script > floor && script >= 0 &&
               m_heard[std::size_t(heard)] == m_script[std::size_t(script)];
    };
    while (h >= firstHeard && s > floor && s >= 0) {
        if (matches(h, s)) {
            const int id = m_script[std::size_t(s)];
            ++run.words;
            run.weight += m_weights[std::size_t(id)];
            run.content += isFunctionWord(id) ? 0 : 1;
            --h;
            --s;
            continue;
        }
        // A slip inside a run: a word misheard, one the recogniser missed, or one it added.
        if (++errors > slips || run.words == 0)
            break;
        if (matches(h - 1, s - 1))
            --h, --s;
        else if (matches(h, s - 1))
            --s;
        else if (matches(h - 1, s))
            --h, ++run.added;
        else
            break;
    }
    return run;
}

ScriptAligner::Candidate ScriptAligner::bestIn(qsizetype from, qsizetype to, int slack,
                                               bool near) const
{
    Candidate best;
    from = std::max<qsizetype>(from, 0);
    to = std::min<qsizetype>(to, scriptSize() - 1);
    if (from > to)
        return best;
    const int heard = int(m_heard.size());
    for (int anchor = heard - 1; anchor >= std::max(0, heard - anchorWords); --anchor) {
        const int id = m_heard[std::size_t(anchor)];
        if (id < 0)
            continue;
        const std::vector<qsizetype> &where = m_occurrences[std::size_t(id)];
        for (auto it = std::lower_bound(where.begin(), where.end(), from);
             it != where.end() && *it <= to; ++it) {
            const int matches = matchesEndingAt(*it, anchor, slack, 0, 0);
            const qsizetype ahead = *it - m_position;
            const int distanceCost =
                near && ahead > 1 ? int(std::min<qsizetype>((ahead - 1) / 4, 1000)) : 0;
            const int score =
                matches * matchWeight - (heard - 1 - anchor) * trailingCost - distanceCost;
            // Ties go to the nearest place, so a repeated phrase never pulls ahead.
            if (best.end < 0 || score > best.score ||
                (score == best.score && std::abs(ahead) < std::abs(best.end - m_position))) {
                // Only the words heard just before the anchor can show a move: older ones
                // belong to where the speaker was.
                const int fresh = *it > m_position && anchor >= m_firstFresh
                                      ? matchesEndingAt(*it, anchor, 1, m_position + 1,
                                                        std::max(anchor - 3, m_firstFresh))
                                      : 0;
                best = {*it, matches, fresh, score, anchor};
            }
        }
    }
    return best;
}

bool ScriptAligner::update(bool mayGoBack)
{
    if (m_script.empty())
        return false;
    std::vector<int> heard(m_history);
    heard.insert(heard.end(), m_partial.begin(), m_partial.end());
    if (heard.size() > std::size_t(heardWords))
        heard.erase(heard.begin(), heard.end() - heardWords);
    if (heard.empty() || heard == m_heard)
        return false;
    m_heard = std::move(heard);
    const qsizetype heardTotal = m_finalWordCount + qsizetype(m_partial.size());
    const qsizetype firstHeardIndex = heardTotal - qsizetype(m_heard.size());
    m_firstFresh = int(std::clamp<qsizetype>(m_lastAnchor + 1 - firstHeardIndex, 0, heardWords));
    const auto moveTo = [&](const Candidate &to) {
        m_position = to.end;
        m_lastAnchor = firstHeardIndex + to.anchor;
        return true;
    };

    // Near: a little behind (holding still) to the near window ahead. Far: a re-read behind or
    // a skipped passage ahead, each on several words in order.
    const Candidate near = bestIn(m_position - 2, m_position + nearAhead, 3, true);
    const Candidate back =
        mayGoBack ? bestIn(m_position - backReach, m_position - 3, 1, false) : Candidate();
    const Candidate ahead = bestIn(m_position + nearAhead + 1, m_position + wideAhead, 1, false);
    const bool backFirst =
        back.matches > ahead.matches ||
        (back.matches == ahead.matches && m_position - back.end <= ahead.end - m_position);
    const Candidate &far = backFirst ? back : ahead;
    // Words heard since the last move: the speaker cannot have read much more than these.
    const qsizetype heardSince = heardTotal - 1 - m_lastAnchor;
    const auto confirmedRun = [&](const Candidate &to, int slips) {
        // Ahead, the evidence is a run of fresh words that ends with the last words heard.
        if (to.anchor < int(m_heard.size()) - 2)
            return Run();
        return runEndingAt(to.end, to.anchor, m_position, m_firstFresh, slips);
    };
    if (far.end >= 0 && far.matches >= farEvidence && far.score >= near.score + 2 * matchWeight) {
        if (far.end < m_position)
            return moveTo(far);
        // A misheard phrase can match a far sentence but for one word; a skip is read exactly.
        const Run run = confirmedRun(far, 0);
        if (run.weight >= farEvidence && run.content >= 2)
            return moveTo(far);
        // The skip's first words may have moved the position a word or two already: the run
        // through them is the skip when it holds two fresh words beyond the commonest and is
        // read exactly, or with one slip (a short word added or lost) and four such words.
        if (far.anchor >= int(m_heard.size()) - 2 && confirmedRun(far, 1).content >= 2) {
            const Run exact = runEndingAt(far.end, far.anchor, m_position, 0, 0);
            const Run loose = runEndingAt(far.end, far.anchor, m_position, 0, 1);
            if ((exact.weight >= farEvidence && exact.content >= 2) ||
                (loose.weight >= farEvidence && loose.content >= 4))
                return moveTo(far);
        }
    }
    if (near.end > m_position) {
        const qsizetype distance = near.end - m_position;
        // One word is enough only for the very next one, heard last.
        const bool nextWord =
            distance == 1 && near.score >= matchWeight && near.anchor >= m_firstFresh;
        if (nextWord)
            return moveTo(near);
        // Beyond the next word: two fresh words at least, one of them rare, or three common
        // ones; a longer stride needs more, and "the", "and" and "will" alone never do. Never
        // more than a far move needs: only the last four words heard count here.
        const int fresh =
            std::min(farEvidence, rareWeight + 1 + rareWeight * int((distance - 1) / 8));
        if (near.newMatches < fresh)
            return false;
        const Run run = confirmedRun(near, 1);
        if (run.content == 0)
            return false;
        if (distance > confirmedBeyond && run.words < 2)
            return false;
        // A heard word the run has to leave out is the recogniser making words up: two words
        // beyond the commonest must hold such a run, or a misheard stretch ("and the made
        // old" for "the railway lamps") lands on the "and the old" just after the speaker.
        if (distance > confirmedBeyond && run.content < 2 && run.added > 0)
            return false;
        // Further than the speaker can have read since the last move: a skip, on a run. The
        // recogniser drops words (a reverberant room, a fast speaker), so a run of several
        // words heard exactly may be half as far again ("me to say a" after nine words heard
        // for thirteen spoken); two words ("be two" for "begins") may not.
        if (distance > heardSince + readSlack) {
            const Run exact = confirmedRun(near, 0);
            const qsizetype reach =
                heardSince + readSlack + (exact.words >= missedWordsRun ? heardSince / 2 : 0);
            if (distance > reach && (exact.words < skipRun || exact.content < 2))
                return false;
        }
        // The fresh words fit better where the speaker has been: a re-read, not a move.
        const Candidate behind = bestIn(m_position - backReach, m_position, 1, false);
        if (behind.end >= 0 && behind.anchor >= m_firstFresh) {
            const int freshBehind = matchesEndingAt(behind.end, behind.anchor, 1, 0, m_firstFresh);
            const int freshAhead =
                matchesEndingAt(near.end, near.anchor, 1, m_position + 1, m_firstFresh);
            if (freshBehind > freshAhead)
                return false;
        }
        return moveTo(near);
    }
    return false;
}

} // namespace voice
