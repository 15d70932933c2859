#include "scriptaligner.h"
#include "scriptwords.h"

#include <QRandomGenerator>
#include <QTest>

using voice::ScriptAligner;

namespace {

const QString speech =
    QStringLiteral("Good evening and welcome. Tonight we look at the river that feeds our city. "
                   "At the end of the day, every tap depends on it. "
                   "The first settlers built their mills along its banks in 1820. "
                   "Their wheels turned grain into flour for three generations. "
                   "Later the factories came, and the water turned grey. "
                   "At the end of the day, nobody wanted to swim there anymore. "
                   "Today volunteers count fish every spring and the numbers are rising. "
                   "Thank you for listening.");

// A council's budget, and a market's summers: phrases a recogniser has misheard as others
// further on.
const QString budget = QStringLiteral(
    "The council has reviewed the figures for the coming year and found that the city's total "
    "income will rise a little. First, the libraries keep their opening hours, and two branches "
    "will open on Sundays in the spring. Second, the parks department will plant four hundred "
    "trees along the river path and repair the old bandstand before the summer festival. We "
    "expect that work to finish in early June, weather permitting, and the paths to reopen soon "
    "after the end of the festival. Third, the youth programme will receive the largest increase "
    "it "
    "has had in a decade. Payments reach families at the end of the month, and we will publish "
    "every account online.");

const QString market =
    QStringLiteral("The market opened in May. In its second summer the crowds doubled. By the "
                   "third summer the crowds filled the square every weekend, and traders came "
                   "from all over the county.");

const QString orchard = QStringLiteral(
    "We plant trees along the lower wall, where the frost is lighter. The old pears came from a "
    "nursery in the valley and have grown slowly. Volunteers help every autumn with the harvest, "
    "so we plant trees in the gaps the storms leave.");

// A ferry's announcement: a skip that starts on the word that ends the paragraph before it.
const QString ferry = QStringLiteral(
    "Good evening, and welcome aboard the last crossing of the summer timetable. Before we leave "
    "the pier, the captain has asked me to say a few words about the night ahead and about the "
    "changes that start on Monday. The sea tonight is calm, with a light wind from the west. We "
    "expect to reach the island a little after nine, which gives those of you with bicycles time "
    "to ride to the village before the light goes. The shop sells maps, warm blankets and honey "
    "cake. From Monday the winter timetable begins. There will be two sailings a day instead of "
    "five.");

// A museum's gallery: a misheard list whose common words and one repeated word match the
// words just after the speaker.
const QString museum = QStringLiteral(
    "Each object came to us from a house in the valley, and each one arrived with a story "
    "written on a card by the person who gave it. We asked visitors last spring what they wanted "
    "to see, and the answer surprised us. Nobody asked for the silver or the paintings. They asked "
    "for the school desks, the railway lamps and the old shop signs that once hung along the high "
    "street.");

// Utterances separated by '|'; each is heard as growing partials, then as final. An utterance
// "partial > final" is heard as the partials of the first words, then as the second as final.
struct Heard
{
    qsizetype highest = -1;
};

Heard listen(ScriptAligner &aligner, const QString &utterances)
{
    Heard heard;
    for (const QString &utterance : utterances.split(u'|')) {
        const QStringList parts = utterance.split(u'>');
        const QStringList words = voice::normalisedWords(parts.constFirst());
        for (qsizetype n = 1; n <= words.size(); ++n) {
            aligner.hearPartial(words.first(n));
            heard.highest = std::max(heard.highest, aligner.position());
        }
        aligner.hearFinal(voice::normalisedWords(parts.constLast()));
        heard.highest = std::max(heard.highest, aligner.position());
    }
    return heard;
}

// Index of the last word of the first occurrence of `phrase` in `script`, at or after `from`.
int endOf(const QString &script, const QString &phrase, int from = 0)
{
    const QStringList all = voice::normalisedWords(script);
    const QStringList want = voice::normalisedWords(phrase);
    for (int i = from; i + want.size() <= all.size(); ++i) {
        if (all.mid(i, want.size()) == want)
            return i + int(want.size()) - 1;
    }
    return -2;
}

} // namespace

class ScriptAlignerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("punctuation and case")
            << QStringLiteral("Hello, World! (Again.)") << QStringList{"hello", "world", "again"};
        QTest::newRow("inner apostrophes kept")
            << QStringLiteral("Don't say 'no' \u2019til it\u2019s done")
            << QStringList{"don't", "say", "no", "til", "it's", "done"};
        QTest::newRow("numbers are tokens, hyphens split")
            << QStringLiteral("In 1820, rock-and-roll 3.5")
            << QStringList{"in", "1820", "rock", "and", "roll", "3", "5"};
        QTest::newRow("markup only") << QStringLiteral("-- ** ... \u2014") << QStringList{};
        QTest::newRow("accented") << QStringLiteral("Caf\u00e9 \u00c9T\u00c9")
                                  << QStringList{QStringLiteral("caf\u00e9"),
                                                 QStringLiteral("\u00e9t\u00e9")};
    }

    void splitWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QCOMPARE(voice::normalisedWords(text), words);
        for (const voice::ScriptWord &w : voice::splitWords(text))
            QVERIFY(text.mid(w.start, w.length).toLower().startsWith(w.text.left(1)));
    }

    void follows_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("highest");

        const int last = int(voice::normalisedWords(speech).size()) - 1;
        QTest::newRow("in order") << speech
                                  << QStringLiteral(
                                         "Good evening and welcome|Tonight we look at the river "
                                         "that feeds our city|At the end of the day every tap "
                                         "depends on it|The first settlers built their mills")
                                  << endOf(speech, "settlers built their mills")
                                  << endOf(speech, "settlers built their mills");
        QTest::newRow("whole script") << speech << speech << last << last;
        QTest::newRow("skipped paragraph")
            << speech
            << QStringLiteral(
                   "Good evening and welcome|Tonight we look at the river that feeds our "
                   "city|Today volunteers count fish every spring")
            << endOf(speech, "count fish every spring") << endOf(speech, "count fish every spring");
        QTest::newRow("repeated phrase stays at the near one")
            << speech
            << QStringLiteral(
                   "Tonight we look at the river that feeds our city|At the end of the day")
            << endOf(speech, "at the end of the day") << endOf(speech, "at the end of the day");
        QTest::newRow("sentence read twice does not move ahead")
            << speech
            << QStringLiteral(
                   "Later the factories came and the water turned grey|Later the factories "
                   "came and the water turned grey")
            << endOf(speech, "the water turned grey") << endOf(speech, "the water turned grey");
        QTest::newRow("two words back are not a re-read")
            << speech
            << QStringLiteral(
                   "Their wheels turned grain into flour for three generations|Their wheels")
            << endOf(speech, "three generations") << endOf(speech, "three generations");
        QTest::newRow("re-read followed after several words")
            << speech
            << QStringLiteral(
                   "Their wheels turned grain into flour for three generations|Later the "
                   "factories came|Their wheels turned grain into")
            << endOf(speech, "their wheels turned grain into") << endOf(speech, "factories came");
        QTest::newRow("noise words")
            << speech
            << QStringLiteral("um good evening uh and welcome|tonight hmm we look at er the river "
                              "that feeds banana our city")
            << endOf(speech, "feeds our city") << endOf(speech, "feeds our city");
        QTest::newRow("noise alone holds")
            << speech << QStringLiteral("um uh hmm banana|er cough") << -1 << -1;
        QTest::newRow("one common word far ahead holds")
            << speech << QStringLiteral("good evening|every") << 1 << 1;
        QTest::newRow("misheard phrase matching a sentence far ahead holds")
            << budget
            << QStringLiteral("the council has reviewed the figures|has reviewed of the youth "
                              "third the youth the")
            << endOf(budget, "reviewed the figures") << endOf(budget, "reviewed the figures");
        QTest::newRow("misheard phrase, then the speaker is found again")
            << budget
            << QStringLiteral("the council has reviewed the figures|has reviewed of the youth "
                              "third the youth the|the city's total income will rise")
            << endOf(budget, "income will rise") << endOf(budget, "income will rise");
        QTest::newRow("common words never move past the next word")
            << budget << QStringLiteral("payments reach families at the|until the and i will")
            << endOf(budget, "families at the") << endOf(budget, "families at the");
        QTest::newRow("sentence re-read does not run into the next one")
            << market
            << QStringLiteral("the market opened in may in its second summer the crowds "
                              "doubled|second summer the crowds doubled by the")
            << endOf(market, "doubled by the") << endOf(market, "doubled by the");
        QTest::newRow("skip to a sentence far ahead on a run of its words")
            << budget
            << QStringLiteral("the council has reviewed the figures|third the youth programme "
                              "will receive")
            << endOf(budget, "programme will receive") << endOf(budget, "programme will receive");
        QTest::newRow("a final hypothesis never moves back")
            << speech
            << QStringLiteral("Good evening and welcome|Tonight we look at the river that feeds "
                              "our city|At the end of the day every tap > good evening and "
                              "welcome tonight we look at the river")
            << endOf(speech, "every tap") << endOf(speech, "every tap");
        QTest::newRow("a phrase at hand wins over a fuller one further on")
            << orchard << QStringLiteral("so we plant trees") << endOf(orchard, "we plant trees")
            << endOf(orchard, "we plant trees");
        QTest::newRow("three words far ahead hold")
            << budget << QStringLiteral("the council has reviewed the figures|the youth programme")
            << endOf(budget, "reviewed the figures") << endOf(budget, "reviewed the figures");
        QTest::newRow("a word already used does not creep onto its repeat")
            << QStringLiteral("cold lamps on very lamps we the we")
            << QStringLiteral("dark|lamps lamps lamps very|walked cold very") << 3 << 3;
        QTest::newRow("a skip of a few sentences within the near window is followed")
            << budget
            << QStringLiteral("the council has reviewed the figures for the coming year|second "
                              "the parks department will plant four hundred trees")
            << endOf(budget, "four hundred trees") << endOf(budget, "four hundred trees");
        QTest::newRow("a skip whose first words already moved the position one word")
            << ferry
            << QStringLiteral("good evening and welcome aboard the last crossing of the summer "
                              "timetable|before we leave the pier the captain has asked me to say "
                              "a few words about the night ahead and about the changes that start "
                              "on monday monday the winter timetable begins")
            << endOf(ferry, "winter timetable begins") << endOf(ferry, "winter timetable begins");
        QTest::newRow("a skip heard with one word added")
            << ferry
            << QStringLiteral("the captain has asked me to say a few words about the night ahead "
                              "and about the changes that start on monday|the shop in sells maps "
                              "warm")
            << endOf(ferry, "sells maps warm") << endOf(ferry, "sells maps warm");
        QTest::newRow("a skip read exactly after its first word moved the position")
            << ferry
            << QStringLiteral("the captain has asked me to say a few words about the night ahead "
                              "and about the changes that start on monday|the shop sells maps")
            << endOf(ferry, "the shop sells maps") << endOf(ferry, "the shop sells maps");
        QTest::newRow("a phrase heard with one word added far ahead holds")
            << ferry
            << QStringLiteral("the captain has asked me to say a few words about the night ahead "
                              "and about the changes that start on monday|the shop in sells")
            << endOf(ferry, "on monday the") << endOf(ferry, "on monday the");
        QTest::newRow("a misheard list does not run ahead on its repeated word")
            << museum
            << QStringLiteral("each object came to us from a house in the valley and each one "
                              "arrived with a story written on a card by the person who gave "
                              "it|we asked visitors last spring what they wanted to see and the "
                              "answer surprised us nobody asked for the see or the or the "
                              "paintings they asked for the the old and the made old")
            << endOf(museum, "they asked for the") << endOf(museum, "they asked for the");
        QTest::newRow("a final shorter than its partials leaves the next words fresh")
            << museum
            << QStringLiteral("nobody asked for the silver or the paintings they asked for the "
                              "school desks > nobody silver paintings they asked for the school "
                              "desks|the railway lamps and the old shop signs")
            << endOf(museum, "old shop signs") << endOf(museum, "old shop signs");
        QTest::newRow("a run of four heard with words missed between is followed")
            << ferry
            << QStringLiteral("good evening and the on the crossing and the summer timetable "
                              "little you the near the me to say a")
            << endOf(ferry, "me to say a") << endOf(ferry, "me to say a");
        QTest::newRow("a word misheard as two does not reach past the next sentence's start")
            << ferry
            << QStringLiteral("the shop sells maps warm blankets and honey cake|from monday the "
                              "winter timetable be two")
            << endOf(ferry, "winter timetable") << endOf(ferry, "winter timetable");
        QTest::newRow("empty script") << QString() << QStringLiteral("good evening") << -1 << -1;
        QTest::newRow("one-word script")
            << QStringLiteral("Hello.") << QStringLiteral("hello|hello") << 0 << 0;
        QTest::newRow("one-word script, other words")
            << QStringLiteral("Hello.") << QStringLiteral("goodbye now") << -1 << -1;
    }

    void follows()
    {
        QFETCH(QString, script);
        QFETCH(QString, heard);
        QFETCH(int, position);
        QFETCH(int, highest);
        ScriptAligner aligner(voice::normalisedWords(script));
        const Heard result = listen(aligner, heard);
        QCOMPARE(aligner.position(), position);
        QCOMPARE(result.highest, highest);
    }

    void longScript_followsAndRecoversWithinWindows()
    {
        // 100,000 words: a third from a few dozen that recur thousands of times, as "the" and
        // "of" do, the rest from a few thousand.
        const QStringList common = voice::normalisedWords(speech);
        QRandomGenerator random(22);
        QStringList script;
        script.reserve(100000);
        for (int i = 0; i < 100000; ++i) {
            script.append(random.bounded(3) == 0 ? common.at(random.bounded(int(common.size())))
                                                 : QStringLiteral("w%1").arg(random.bounded(3000)));
        }
        ScriptAligner aligner(script);

        auto read = [&](qsizetype from, qsizetype count) {
            for (qsizetype i = from; i < from + count; i += 10)
                listen(aligner,
                       script.mid(i, std::min<qsizetype>(10, from + count - i)).join(u' '));
        };
        read(0, 300);
        QCOMPARE(aligner.position(), 299);
        // A skipped passage within reach is recovered; one beyond reach is not guessed at.
        read(2000, 40);
        QCOMPARE(aligner.position(), 2039);
        read(90000, 40);
        QCOMPARE(aligner.position(), 2039);
        aligner.reset(89990);
        read(90000, 40);
        QCOMPARE(aligner.position(), 90039);
    }
};

QTEST_APPLESS_MAIN(ScriptAlignerTest)
#include "tst_scriptaligner.moc"
