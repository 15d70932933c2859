#include "prompterfixture.h"

#include "scriptwords.h"
#include "texts.h"
#include "wordlayout.h"

#include <QAction>

using namespace texts;

class VoiceFollowingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // No sound server answers here, so there is no microphone, whatever the machine has.
        qputenv("PULSE_SERVER", "unix:/nonexistent/tavrix-test");
    }

    void noMicrophone_saysSoAndStaysOff()
    {
        Prompter p;
        p.showScript(20);
        setSpeed(p.form, 40);
        auto *follow = widget<QAction>(p.form, "followVoiceAction");
        follow->trigger();
        QCOMPARE(p.dialogs.messages, QStringList{rsNoMicrophone});
        QVERIFY(!follow->isChecked());
        // The scroll clock goes on as it was, and the status line still shows the speed.
        QCOMPARE(labelText(p.form, "speedLabel"), rsSpeed + u"40");
        QVERIFY(widget<ScrollClock>(p.form, "scrollTimer")->enabled());
        QVERIFY(!widget<ScrollClock>(p.form, "scrollTimer")->framesWanted());
    }

    // Word positions counted the voice's way land on the page's lines, top to bottom.
    void wordLayout_findsEachWordsLine()
    {
        Prompter p;
        p.showScript(30);
        const QTextDocument &document = *page(p.form)->document();
        const QString text = document.toPlainText();
        const QList<voice::ScriptWord> words = voice::splitWords(text);
        QList<qsizetype> starts;
        for (const voice::ScriptWord &w : words)
            starts.append(w.start);
        WordLayout layout;
        layout.setWordStarts(starts);
        QCOMPARE(layout.wordCount(), words.size());
        QCOMPARE(layout.wordTop(document, -1), -1.0);
        QCOMPARE(layout.wordTop(document, words.size()), -1.0);
        // "Line 0 of the evening news": six words a line; the page may lead with others.
        const qsizetype first = starts.indexOf(text.indexOf(QStringLiteral("Line 0 ")));
        QVERIFY(first >= 0);
        double previous = -1;
        for (int line = 0; line < 30; ++line) {
            const double top = layout.wordTop(document, first + 6 * line);
            QVERIFY2(top > previous, qPrintable(QString::number(line)));
            // Every word of a short line shares its top.
            QCOMPARE(layout.wordTop(document, first + 6 * line + 5), top);
            // The reading line moves through the line word by word, short of the next line.
            const double next = layout.wordTop(document, first + 6 * line + 6);
            double step = top;
            for (int w = 0; w < 6; ++w) {
                const double reading = layout.readingTop(document, first + 6 * line + w);
                QVERIFY(reading > step);
                step = reading;
            }
            if (line < 29)
                QVERIFY(step < next);
            previous = top;
        }
    }
};

QTEST_MAIN(VoiceFollowingTest)
#include "tst_voicefollowing.moc"
