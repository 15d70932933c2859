#include "prompterfixture.h"

#include "aboutdialog.h"
#include "dialogs.h"
#include "quickeditdialog.h"

#include <QAction>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>

// The menu's quick edit, font, print and about commands, as the operator uses them.
class CommandsTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static void trigger(QObject &window, const char *action)
    {
        widget<QAction>(window, action)->trigger();
    }

    QString script(const QString &name, const QByteArray &text)
    {
        return writeTestFile(m_dir, name, text);
    }

    static void openScript(Prompter &p, const QString &path)
    {
        p.dialogs.openAnswers = {path};
        trigger(p.form, "openAction");
        p.settle();
    }

private Q_SLOTS:
    void quickEdit_savedLinesShownUnderTheOldTitle()
    {
        Prompter p;
        const QString path = script(QStringLiteral("news.txt"), "Good evening\r\nthe news\r\n");
        openScript(p, path);
        setSpeed(p.form, 50);
        const QString saved = m_dir.filePath(QStringLiteral("edited.txt"));
        p.dialogs.saveAnswers = {saved};
        p.dialogs.modal = [](QDialog *d) {
            d->show();
            auto *editor = widget<QPlainTextEdit>(*d, "editor");
            editor->moveCursor(QTextCursor::End);
            QTest::keyClicks(editor, QStringLiteral("and sport"));
            widget<QAction>(*d, "saveAndExitAction")->trigger();
            return d->result();
        };
        trigger(p.form, "quickEditAction");
        p.settle();
        QCOMPARE(p.form.scriptLines(), QStringList({"Good evening", "the news", "and sport"}));
        QVERIFY(p.form.pageLines().join(QString()).contains(QStringLiteral("and sport")));
        QCOMPARE(p.form.scriptTitle(), path);
        QCOMPARE(labelText(p.form, "scriptLabel"), path);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("Good evening\r\nthe news\r\nand sport"));
        // Neither paused nor reset.
        QCOMPARE(labelText(p.form, "speedLabel"), QStringLiteral("Speed 50"));
        QVERIFY(widget<ScrollClock>(p.form, "scrollTimer")->enabled());
        QCOMPARE(p.form.focusWidget(), page(p.form));
    }

    void quickEdit_cancelledChangesNothing()
    {
        Prompter p;
        p.showScript(3);
        const QStringList before = p.form.pageLines();
        p.dialogs.questionAnswers = {Dialogs::Answer::No};
        p.dialogs.modal = [](QDialog *d) {
            d->show();
            QTest::keyClicks(widget<QPlainTextEdit>(*d, "editor"), QStringLiteral("typed"));
            widget<QAction>(*d, "cancelEditAction")->trigger();
            return d->result();
        };
        trigger(p.form, "quickEditAction");
        QCOMPARE(p.dialogs.questions.size(), 1);
        QCOMPARE(p.form.pageLines(), before);
        QCOMPARE(p.form.scriptLines().size(), 3);
    }

    void quickEdit_proposesTheLastScriptOpenedAlone()
    {
        Prompter p;
        const auto proposed = [&p] {
            p.dialogs.modal = [](QDialog *d) {
                widget<QAction>(*d, "saveAndExitAction")->trigger();
                return int(QDialog::Rejected);
            };
            trigger(p.form, "quickEditAction");
            return p.dialogs.saveStates.constLast().fileName;
        };
        QCOMPARE(proposed(), QString());
        const QString single = script(QStringLiteral("single.txt"), "one\r\n");
        const QString queued = script(QStringLiteral("queued.txt"), "two\r\n");
        openScript(p, single);
        QCOMPARE(proposed(), single);
        // A queue load leaves the proposal alone.
        p.dialogs.openAnswers = {queued};
        p.dialogs.modal = [](QDialog *d) {
            QTest::mouseClick(widget<QWidget>(*d, "addIcon"), Qt::LeftButton);
            return int(QDialog::Accepted);
        };
        trigger(p.form, "optionsAction");
        p.settle();
        QCOMPARE(p.form.scriptTitle(), queued);
        QCOMPARE(proposed(), single);
        // The editor writes plain text: an RTF script is proposed as a text file beside it.
        const QString rich =
            script(QStringLiteral("talk.Rtf"), "{\\rtf1 This is {\\b bold}.\\par}");
        openScript(p, rich);
        QCOMPARE(p.form.scriptLines(), QStringList{QStringLiteral("This is bold.")});
        QCOMPARE(proposed(), m_dir.filePath(QStringLiteral("talk.txt")));
    }

    // Saved over its own file without a change, a script gives the file back
    // whole, or the save is refused before anything is written.
    void quickEdit_unchangedSaveOverItsFile_losesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("saves");
        QTest::addColumn<QString>("message"); // "%1": the path
        QTest::newRow("text after a NUL: refused")
            << QByteArray("before NUL\0after NUL\r\nline two\r\n", 32) << 1
            << QStringLiteral("The script ends at a NUL character in \"%1\"; saving over that "
                              "file would drop the rest of it. Save the script under another "
                              "name.");
        QTest::newRow("a 5001-character line, saved twice") << QByteArray(5001, 'x') + "\r\nend\r\n"
                                                            << 2 << QString();
    }

    void quickEdit_unchangedSaveOverItsFile_losesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, saves);
        QFETCH(QString, message);
        Prompter p;
        const QString path = script(QStringLiteral("whole.txt"), bytes);
        openScript(p, path);
        bool stillOpen = false;
        p.dialogs.modal = [&](QDialog *d) {
            d->show();
            widget<QAction>(*d, "saveAndExitAction")->trigger();
            stillOpen = d->isVisible();
            return stillOpen ? int(QDialog::Rejected) : d->result();
        };
        for (int i = 0; i < saves; ++i) {
            p.dialogs.saveAnswers = {path};
            trigger(p.form, "quickEditAction");
            p.settle();
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(stillOpen, !message.isEmpty());
        QCOMPARE(p.dialogs.messages,
                 message.isEmpty() ? QStringList() : QStringList{message.arg(path)});
    }

    void font_okRebuildsCancelDoesNot_bothRewindAndPause_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("shownPoints");
        QTest::newRow("cancel") << false << 0 << 24;
        QTest::newRow("ok, 30 pt") << true << 30 << 30;
        QTest::newRow("ok, same font") << true << 24 << 24;
        QTest::newRow("ok, 1 pt") << true << 1 << 1;
        QTest::newRow("ok, 1000 pt kept to what the store holds") << true << 1000 << 512;
    }

    void font_okRebuildsCancelDoesNot_bothRewindAndPause()
    {
        QFETCH(bool, confirm);
        QFETCH(int, points);
        QFETCH(int, shownPoints);
        Prompter p;
        p.showScript(200);
        setSpeed(p.form, 100);
        page(p.form)->scrollTo(0, 300);
        if (confirm) {
            FontRecord chosen = p.form.promptFont();
            chosen.Name = QStringLiteral("DejaVu Serif");
            chosen.setSize(points, 96);
            p.dialogs.fontAnswer = chosen;
        }
        QSignalSpy loads(page(p.form), &HtmlView::documentComplete);
        trigger(p.form, "fontAction");
        p.settle();
        QCOMPARE(loads.size(), confirm ? 1 : 0);
        QCOMPARE(p.form.promptFont().size(96), shownPoints);
        QCOMPARE(p.form.promptFont().Name,
                 confirm ? QStringLiteral("DejaVu Serif") : QStringLiteral("Arial"));
        if (confirm)
            QVERIFY(p.form.pageLines().join(QString()).contains(QStringLiteral("DejaVu Serif")));
        QCOMPARE(page(p.form)->scrollPosition(), 0);
        QCOMPARE(labelText(p.form, "speedLabel"), QStringLiteral("Paused..."));
        QVERIFY(!widget<ScrollClock>(p.form, "scrollTimer")->enabled());
    }

    void print_handsTheShownPageToThePreview()
    {
        Prompter p;
        p.showScript(200);
        setSpeed(p.form, 30);
        widget<QSlider>(p.form, "speedSlider")->setFocus();
        trigger(p.form, "printAction");
        QCOMPARE(p.dialogs.printPreviews, 1);
        QCOMPARE(QApplication::focusWidget(), page(p.form));
        QVERIFY(p.dialogs.printedText.contains(QStringLiteral("Line 199 of the evening news")));
        QCOMPARE(labelText(p.form, "speedLabel"), QStringLiteral("Speed 30"));
    }

    void about_showsTheBoxOverTheBand()
    {
        Prompter p;
        QDialog *shown = nullptr;
        p.dialogs.modal = [&](QDialog *d) {
            shown = d;
            return int(QDialog::Accepted);
        };
        trigger(p.form, "aboutAction");
        QVERIFY(qobject_cast<AboutDialog *>(shown));
        QVERIFY(
            (shown->frameGeometry().center() - p.form.frameGeometry().center()).manhattanLength() <=
            2);
    }

    void pathsAreShownAsTheyAre()
    {
        Prompter p;
        const QString path = script(QStringLiteral("a<b>news.txt"), "x\r\n");
        openScript(p, path);
        auto *label = widget<QLabel>(p.form, "scriptLabel");
        QCOMPARE(label->text(), path);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    void messageBox_plainTextCentredOnTheScreen()
    {
        QtDialogs dialogs;
        QWidget band;
        band.setGeometry(0, 0, 1200, 250);
        band.show();
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QString caption;
        QPoint centre;
        QTimer::singleShot(0, &band, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            text = box->text();
            format = box->textFormat();
            caption = box->windowTitle();
            centre = box->frameGeometry().center();
            box->accept();
        });
        const QString message = QStringLiteral("Cannot open file \"/tmp/<b>news</b>.txt\". Gone");
        dialogs.message(&band, message);
        QCOMPARE(text, message);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(caption, QStringLiteral("Tavrix2 Home"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2((centre - screen.center()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
    }
};

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
