#include "aboutdialog.h"
#include "fakedialogs.h"
#include "quickeditdialog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The quick editor and the about box, driven through the dialog seam.
class QuickEditTest : public QObject
{
    Q_OBJECT

    // What the operator saw while the dialog was up.
    struct Session
    {
        std::optional<QStringList> result;
        bool stillOpen = false;
    };

    template <typename T> static T *child(QObject *dialog, const char *name)
    {
        T *found = dialog->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

    // Opens the editor on `lines`, lets `drive` act as the operator, and
    // notes whether the dialog was still up when the operator was done.
    static Session run(FakeDialogs &dialogs, QuickEditDialog &editor, const QStringList &lines,
                       const std::function<void(QuickEditDialog &)> &drive,
                       const QString &proposed = QString())
    {
        Session session;
        dialogs.modal = [&](QDialog *d) {
            d->show();
            drive(editor);
            session.stillOpen = d->isVisible();
            return session.stillOpen ? int(QDialog::Rejected) : d->result();
        };
        session.result = editor.edit(lines, proposed);
        return session;
    }

    static void type(QuickEditDialog &d, const QString &text)
    {
        auto *editor = child<QPlainTextEdit>(&d, "editor");
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, lines.at(i));
        }
    }
    static void trigger(QuickEditDialog &d, const char *action)
    {
        child<QAction>(&d, action)->trigger();
    }

    static QByteArray readAll(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    QTemporaryDir m_dir;

private Q_SLOTS:
    void layoutAndTexts()
    {
        FakeDialogs dialogs;
        QuickEditDialog d(dialogs);
        QCOMPARE(d.windowTitle(), QStringLiteral("Tavrix Quick Edit"));
        QVERIFY(d.windowFlags() & Qt::Tool);
        QCOMPARE(child<QLabel>(&d, "statusText")->text(),
                 QStringLiteral("   Right click to copy and paste text."));
        QCOMPARE(child<QAction>(&d, "saveAndExitAction")->text(), QStringLiteral("&Save and Exit"));
        QCOMPARE(child<QAction>(&d, "cancelEditAction")->text(), QStringLiteral("&Cancel Edit"));
        auto *editor = child<QPlainTextEdit>(&d, "editor");
        QCOMPARE(editor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(editor->contextMenuPolicy(), Qt::DefaultContextMenu);
        d.show();
        QCOMPARE(editor->width(), 626);
        QCOMPARE(editor->height() + child<QLabel>(&d, "statusText")->parentWidget()->height(), 253);
    }

    void leaving_asksOnlyAfterAnEdit_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("stillOpen");
        const int no = int(Dialogs::Answer::No), yes = int(Dialogs::Answer::Yes);
        QTest::newRow("cancel untouched") << QString() << "cancel" << no << 0 << false;
        QTest::newRow("close box untouched") << QString() << "close box" << no << 0 << false;
        QTest::newRow("cancel edited, No") << "x"
                                           << "cancel" << no << 1 << false;
        QTest::newRow("cancel edited, Yes") << "x"
                                            << "cancel" << yes << 1 << true;
        QTest::newRow("close box edited, No") << "x"
                                              << "close box" << no << 1 << false;
        QTest::newRow("close box edited, Yes") << "x"
                                               << "close box" << yes << 1 << true;
        // Escape is ignored: it neither asks nor leaves.
        QTest::newRow("Escape untouched") << QString() << "escape" << no << 0 << true;
        QTest::newRow("Escape edited") << "x"
                                       << "escape" << no << 0 << true;
    }

    void leaving_asksOnlyAfterAnEdit()
    {
        QFETCH(QString, typed);
        QFETCH(QString, how);
        QFETCH(int, answer);
        QFETCH(int, questions);
        QFETCH(bool, stillOpen);
        FakeDialogs dialogs;
        if (questions)
            dialogs.questionAnswers = {Dialogs::Answer(answer)};
        QuickEditDialog d(dialogs);
        const Session s = run(
            dialogs, d, {QStringLiteral("one"), QStringLiteral("two")}, [&](QuickEditDialog &e) {
                type(e, typed);
                if (how == u"close box")
                    e.close();
                else if (how == u"escape")
                    QTest::keyClick(child<QPlainTextEdit>(&e, "editor"), Qt::Key_Escape);
                else
                    trigger(e, "cancelEditAction");
            });
        QCOMPARE(dialogs.questions.size(), questions);
        if (questions)
            QCOMPARE(dialogs.questions.constFirst(),
                     QStringLiteral("You have edited this script.  Do you wish to save before "
                                    "closing?"));
        QCOMPARE(s.stillOpen, stillOpen);
        QVERIFY(!s.result);
        QCOMPARE(dialogs.saveCalls, 0);
        if (stillOpen)
            QCOMPARE(child<QPlainTextEdit>(&d, "editor")->toPlainText(),
                     typed + QStringLiteral("one\ntwo\n"));
    }

    // Each opening starts centred, wherever the operator left it the time before.
    void opening_centredEveryTime()
    {
        FakeDialogs dialogs;
        QuickEditDialog d(dialogs);
        QPoint centre;
        dialogs.modal = [&](QDialog *dialog) {
            dialog->show();
            centre = dialog->frameGeometry().center();
            dialog->move(3, 5);
            return int(QDialog::Rejected);
        };
        const QPoint screen = QGuiApplication::primaryScreen()->geometry().center();
        for (int opening = 1; opening <= 2; ++opening) {
            d.edit({QStringLiteral("a")}, QString());
            QVERIFY2((centre - screen).manhattanLength() <= 1,
                     qPrintable(QStringLiteral("opening %1").arg(opening)));
        }
    }

    void reopening_forgetsEarlierTyping()
    {
        FakeDialogs dialogs;
        dialogs.questionAnswers = {Dialogs::Answer::No};
        QuickEditDialog d(dialogs);
        run(dialogs, d, {QStringLiteral("news")}, [](QuickEditDialog &e) {
            type(e, QStringLiteral("lost"));
            trigger(e, "cancelEditAction");
        });
        const QString saved = m_dir.filePath(QStringLiteral("again.txt"));
        dialogs.saveAnswers = {saved};
        const Session s = run(dialogs, d, {QStringLiteral("news")},
                              [](QuickEditDialog &e) { trigger(e, "saveAndExitAction"); });
        QCOMPARE(s.result, QStringList{QStringLiteral("news")});
        QCOMPARE(readAll(saved), QByteArray("news\r\n"));
    }

    void wrapping_onWhileEditingExceptForHugeLines()
    {
        FakeDialogs dialogs;
        QuickEditDialog d(dialogs);
        QPlainTextEdit::LineWrapMode mode = QPlainTextEdit::NoWrap;
        dialogs.modal = [&](QDialog *dialog) {
            mode = child<QPlainTextEdit>(dialog, "editor")->lineWrapMode();
            return int(QDialog::Rejected);
        };
        d.edit({QStringLiteral("short"), QString(10000, QLatin1Char('x'))}, QString());
        QCOMPARE(mode, QPlainTextEdit::WidgetWidth);
        d.edit({QStringLiteral("short"), QString(10001, QLatin1Char('x'))}, QString());
        QCOMPARE(mode, QPlainTextEdit::NoWrap);
    }

    void saveCancelled_keepsEditorOpenAndAsksNothing()
    {
        FakeDialogs dialogs;
        QuickEditDialog d(dialogs);
        const Session s = run(dialogs, d, {QStringLiteral("a")}, [](QuickEditDialog &e) {
            type(e, QStringLiteral("b"));
            trigger(e, "saveAndExitAction");
        });
        QCOMPARE(dialogs.saveCalls, 1);
        QVERIFY(s.stillOpen);
        QVERIFY(dialogs.questions.isEmpty());
    }

    void saveAndExit_writesTheTextAndHandsBackLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("back");
        QTest::newRow("unchanged") << QStringList{"Good evening", "", "the news"} << QString()
                                   << QByteArray("Good evening\r\n\r\nthe news\r\n")
                                   << QStringList{"Good evening", "", "the news"};
        QTest::newRow("empty script")
            << QStringList() << QString() << QByteArray() << QStringList();
        QTest::newRow("typed at the end, no final break")
            << QStringList{"a"} << "b\nc" << QByteArray("a\r\nb\r\nc")
            << QStringList{"a", "b", "c"};
        const QString accented = QStringLiteral("Zürich\u00a0– 東京 €");
        QTest::newRow("characters beyond 8 bits, no-break space kept")
            << QStringList{accented} << QString() << (accented + QStringLiteral("\r\n")).toUtf8()
            << QStringList{accented};
        // A line taken back cut would be saved cut the next time.
        const QString longLine(5001, QLatin1Char('x'));
        QTest::newRow("5001-character line kept whole beside an edit")
            << QStringList{longLine} << "more" << (longLine + QStringLiteral("\r\nmore")).toLatin1()
            << QStringList{longLine, "more"};
        // The editor makes line breaks of these; unedited they go back as they came.
        const QString breaking = QStringLiteral("a\u2028b\u2029c") + QChar(0xFDD0) + u'd' +
                                 QChar(0xFDD1) + u'e' + QChar(0) + u'f';
        QTest::newRow("separators, frame marks and NUL kept unedited")
            << QStringList{breaking, "two"} << QString()
            << (breaking + QStringLiteral("\r\ntwo\r\n")).toUtf8() << QStringList{breaking, "two"};
    }

    void saveAndExit_writesTheTextAndHandsBackLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, typed);
        QFETCH(QByteArray, file);
        QFETCH(QStringList, back);
        FakeDialogs dialogs;
        const QString path = m_dir.filePath(QStringLiteral("edited.txt"));
        dialogs.saveAnswers = {path};
        QuickEditDialog d(dialogs);
        const Session s = run(dialogs, d, lines, [&](QuickEditDialog &e) {
            auto *editor = child<QPlainTextEdit>(&e, "editor");
            editor->moveCursor(QTextCursor::End);
            type(e, typed);
            trigger(e, "saveAndExitAction");
        });
        QVERIFY(!s.stillOpen);
        QVERIFY(dialogs.questions.isEmpty());
        QCOMPARE(readAll(path), file);
        QCOMPARE(s.result, std::optional<QStringList>(back));
        QCOMPARE(child<QPlainTextEdit>(&d, "editor")->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    void saveDialog_presetAndFilter()
    {
        FakeDialogs dialogs;
        QuickEditDialog d(dialogs);
        const QString proposed = m_dir.filePath(QStringLiteral("opened.txt"));
        dialogs.modal = [](QDialog *dialog) {
            child<QAction>(dialog, "saveAndExitAction")->trigger();
            return int(QDialog::Rejected);
        };
        d.edit({QStringLiteral("a")}, proposed);
        QCOMPARE(dialogs.saveCalls, 1);
        QCOMPARE(dialogs.saveStates.constLast().fileName, proposed);
        QCOMPARE(dialogs.saveStates.constLast().filter, QStringLiteral("*.txt"));
        QCOMPARE(dialogs.saveStates.constLast().defaultExt, QStringLiteral(".txt"));
    }

    void failedSave_reportsAndKeepsTheEditorOpen_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder")
            << QStringLiteral("missing/edited.txt") << QStringLiteral("No such file or directory");
        QTest::newRow("a folder in the way")
            << QStringLiteral("folder") << QStringLiteral("Is a directory");
    }

    void failedSave_reportsAndKeepsTheEditorOpen()
    {
        QFETCH(QString, where);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
        FakeDialogs dialogs;
        const QString path = m_dir.filePath(where);
        dialogs.saveAnswers = {path};
        QuickEditDialog d(dialogs);
        const Session s = run(dialogs, d, {QStringLiteral("a")}, [](QuickEditDialog &e) {
            type(e, QStringLiteral("b"));
            trigger(e, "saveAndExitAction");
        });
        QVERIFY(s.stillOpen);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages.constFirst().startsWith(
                     QStringLiteral("Cannot create file \"%1\". ").arg(path)) &&
                     dialogs.messages.constFirst().contains(reason, Qt::CaseInsensitive),
                 qPrintable(dialogs.messages.constFirst()));
        QVERIFY(d.edited());
        QCOMPARE(child<QPlainTextEdit>(&d, "editor")->toPlainText(), QStringLiteral("ba\n"));
    }

    void aboutBox_layoutAndLink()
    {
        FakeDialogs dialogs;
        AboutDialog about(dialogs);
        QCOMPARE(about.windowTitle(), QStringLiteral("About Tavrix2"));
        QCOMPARE(about.size(), QSize(325, 151));
        QCOMPARE(about.minimumSize(), about.maximumSize());
        QCOMPARE(child<QLabel>(&about, "latestVersionLabel")->text(),
                 QStringLiteral("The latest version of Tavrix can be found at"));
        QCOMPARE(child<QLabel>(&about, "versionLabel")->text(), QStringLiteral("v2.0.0"));
        QCOMPARE(child<QPushButton>(&about, "okButton")->text(), QStringLiteral("Ok"));
        QVERIFY(!child<QLabel>(&about, "noticeLabel")->text().isEmpty());

        auto *link = child<QLabel>(&about, "homePageLink");
        QVERIFY(link->font().underline());
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        about.show();
        QTest::mouseClick(link, Qt::RightButton);
        QVERIFY(dialogs.openedUrls.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(dialogs.openedUrls, QList<QUrl>{QUrl(link->text())});
        QVERIFY(link->isEnabled());
        dialogs.desktopOpensUrls = false;
        QTest::mouseClick(link, Qt::LeftButton);
        QVERIFY(!link->isEnabled());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(dialogs.openedUrls.size(), 2);
        // Switched off, the link is drawn grey, not lime.
        const QImage shot = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int lime = 0;
        int grey = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                lime += c.green() > 0x80 && c.red() < 0x40 && c.blue() < 0x40;
                grey += c.red() > 0x40 && c.red() == c.green() && c.green() == c.blue();
            }
        }
        QCOMPARE(lime, 0);
        QVERIFY(grey > 0);
    }

    void aboutBox_centredOverTheWindow()
    {
        FakeDialogs dialogs;
        AboutDialog about(dialogs);
        QWidget band;
        band.setGeometry(0, 0, 1200, 250);
        band.show();
        int shown = 0;
        QPoint centre;
        dialogs.modal = [&](QDialog *d) {
            ++shown;
            centre = d->frameGeometry().center();
            return int(QDialog::Accepted);
        };
        about.showOver(&band);
        QCOMPARE(shown, 1);
        QVERIFY((centre - band.frameGeometry().center()).manhattanLength() <= 1);
    }
};

QTEST_MAIN(QuickEditTest)
#include "tst_quickedit.moc"
