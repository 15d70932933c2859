// The show on the band: marker jumps by the menu and the remote's actions,
// the countdown and what cancels it, fitting to a target time, the options.
#include "prompterfixture.h"

#include "picturebutton.h"
#include "registrystore.h"
#include "texts.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {

// Sections of 40 lines each, "# Part N" first, after ten lines of news: at the
// top of the page the first marker is below the reading line.
QStringList sectionedScript(int sections)
{
    QStringList script;
    for (int i = 0; i < 10; ++i)
        script.append(u"Good evening, here is the news %1."_s.arg(i));
    for (int s = 1; s <= sections; ++s) {
        script.append(u"# Part %1"_s.arg(s));
        for (int i = 1; i < 40; ++i)
            script.append(u"Line %1 of part %2"_s.arg(i).arg(s));
    }
    return script;
}

// The marker at the band's reading line; -1 above the first.
qsizetype markerAtReadingLine(PrompterWindow &form)
{
    HtmlView *view = page(form);
    return view->markAt(view->scrollPosition() + view->readingLine());
}

ScrollClock *clock(PrompterWindow &form)
{
    return widget<ScrollClock>(form, "scrollTimer");
}

// Chooses the options in the Show Options window, as the operator does.
void chooseOptions(Prompter &p, const char *countdown, bool readingLine)
{
    p.dialogs.modal = [&](QDialog *dialog) {
        if (dialog->objectName() != u"showOptionsDialog"_s)
            return int(QDialog::Rejected);
        widget<QRadioButton>(*dialog, countdown)->setChecked(true);
        widget<QCheckBox>(*dialog, "readingLineBox")->setChecked(readingLine);
        return int(QDialog::Accepted);
    };
    widget<QAction>(p.form, "showOptionsAction")->trigger();
}

} // namespace

class ShowTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Actions in turn from the top; after each, the marker at the reading line
    // (-1: none, at the top of the page).
    void jumps_data()
    {
        QTest::addColumn<int>("sections");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QList<qsizetype>>("markers");
        QTest::newRow("next, next, previous")
            << 3 << QStringList{u"next"_s, u"next"_s, u"previous"_s} << QList<qsizetype>{0, 1, 0};
        QTest::newRow("previous from the first section goes to the top")
            << 3 << QStringList{u"next"_s, u"previous"_s, u"previous"_s}
            << QList<qsizetype>{0, -1, -1};
        QTest::newRow("no wrap at the end")
            << 2 << QStringList{u"next"_s, u"next"_s, u"next"_s} << QList<qsizetype>{0, 1, 1};
        QTest::newRow("no markers")
            << 0 << QStringList{u"next"_s, u"previous"_s} << QList<qsizetype>{-1, -1};
    }

    void jumps()
    {
        QFETCH(int, sections);
        QFETCH(QStringList, actions);
        QFETCH(QList<qsizetype>, markers);
        Prompter p;
        p.form.showEditedScript(sectionedScript(sections));
        p.settle();
        setSpeed(p.form, 50);
        pressKey(p.form, Qt::Key_Q); // paused at speed 50
        for (qsizetype i = 0; i < actions.size(); ++i) {
            p.form.perform(actions.at(i) == u"next"_s ? OperatorAction::NextMarker
                                                      : OperatorAction::PreviousMarker);
            QCOMPARE(markerAtReadingLine(p.form), markers.at(i));
            if (markers.at(i) < 0)
                QCOMPARE(page(p.form)->scrollPosition(), 0);
            // Speed and pause as they were.
            QCOMPARE(p.form.currentSpeed(), 50);
            QVERIFY(!clock(p.form)->enabled());
        }
    }

    // The menu's items and the Go To submenu do what the actions do.
    void menu_jumpsAndGoesTo()
    {
        Prompter p;
        p.form.showEditedScript(sectionedScript(3));
        p.settle();
        widget<QAction>(p.form, "nextMarkerAction")->trigger();
        QCOMPARE(markerAtReadingLine(p.form), 0);
        auto *goTo = widget<QMenu>(p.form, "goToMenu");
        Q_EMIT goTo->aboutToShow();
        const QList<QAction *> items = goTo->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.at(2)->text(), u"Part 3"_s);
        items.at(2)->trigger();
        QCOMPARE(markerAtReadingLine(p.form), 2);
        widget<QAction>(p.form, "previousMarkerAction")->trigger();
        QCOMPARE(markerAtReadingLine(p.form), 1);
        // A quick edit brings new markers; the new page has them once it has loaded.
        QStringList edited = sectionedScript(3);
        edited.insert(10, u"# Inserted"_s);
        p.form.showEditedScript(edited);
        widget<QAction>(p.form, "nextMarkerAction")->trigger(); // still loading: nothing
        p.settle();
        Q_EMIT goTo->aboutToShow();
        QCOMPARE(goTo->actions().size(), 4);
        widget<QAction>(p.form, "nextMarkerAction")->trigger();
        widget<QAction>(p.form, "nextMarkerAction")->trigger();
        QCOMPARE(markerAtReadingLine(p.form), 1);
    }

    // With a 3 s countdown chosen: the start, then a control during the count.
    void countdown_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("counted"); // the start began a count
        QTest::addColumn<bool>("moving");  // after the control
        QTest::newRow("Q cancels") << 60 << u"q"_s << true << false;
        QTest::newRow("a left press cancels") << 60 << u"press"_s << true << false;
        QTest::newRow("the strip's Pause cancels") << 60 << u"pauseButton"_s << true << false;
        QTest::newRow("the remote's pause cancels") << 60 << u"remote"_s << true << false;
        QTest::newRow("F cancels") << 60 << u"f"_s << true << false;
        // A speed control takes over: the page moves at once.
        QTest::newRow("W starts at once") << 60 << u"w"_s << true << true;
        QTest::newRow("speed 0: nothing to count") << 0 << u""_s << false << true;
    }

    void countdown()
    {
        QFETCH(int, speed);
        QFETCH(QString, control);
        QFETCH(bool, counted);
        QFETCH(bool, moving);
        Prompter p;
        p.showScript(300);
        chooseOptions(p, "countdown3Button", false);
        if (speed != 0) {
            setSpeed(p.form, speed);
            pressKey(p.form, Qt::Key_Q);
        }
        QVERIFY(!clock(p.form)->enabled());
        pressKey(p.form, Qt::Key_Q); // start from the pause
        QCOMPARE(page(p.form)->overlayText(), counted ? u"3"_s : QString());
        QCOMPARE(clock(p.form)->framesWanted(), counted);
        if (!counted) {
            QVERIFY(clock(p.form)->enabled());
            return;
        }
        QVERIFY(!clock(p.form)->enabled());
        QCOMPARE(labelText(p.form, "speedLabel"), texts::rsPaused);
        if (control == u"q"_s)
            pressKey(p.form, Qt::Key_Q);
        else if (control == u"f"_s)
            pressKey(p.form, Qt::Key_F);
        else if (control == u"w"_s)
            pressKey(p.form, Qt::Key_W);
        else if (control == u"press"_s)
            QTest::mousePress(page(p.form)->viewport(), Qt::LeftButton);
        else if (control == u"remote"_s)
            p.form.perform(OperatorAction::Pause);
        else
            QTest::mouseClick(widget<PictureButton>(p.form, qPrintable(control)), Qt::LeftButton);
        QCOMPARE(page(p.form)->overlayText(), QString());
        QCOMPARE(clock(p.form)->enabled(), moving);
        QVERIFY(!clock(p.form)->framesWanted());
        // Started again, it counts all of it again.
        if (!moving) {
            pressKey(p.form, Qt::Key_Q);
            QCOMPARE(page(p.form)->overlayText(), u"3"_s);
        }
    }

    // The options are stored under their own names and read back at the next start.
    void options_storedAndRestored()
    {
        QString store;
        {
            Prompter p;
            chooseOptions(p, "countdown10Button", true);
            store = p.home.storeFile();
            RegistryStore read(u"software\\morvane\\tavrix"_s, store);
            QCOMPARE(read.readInteger(u"Form1\\ShowCountdown"_s, -1), 10);
            QCOMPARE(read.readInteger(u"Form1\\ShowReadingLine"_s, -1), 1);
            p.form.close();
        }
    }

    // Target Time...: a minute for the rest of the script sets a speed that
    // takes a minute, paused as it was, and says so.
    void targetTime_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("section");
        QTest::addColumn<bool>("set");
        QTest::addColumn<QString>("message");
        QTest::newRow("the rest of the script") << u"1:00"_s << false << true << u"Set speed"_s;
        QTest::newRow("the rest of the section") << u"0:20"_s << true << true << u"Set speed"_s;
        QTest::newRow("too long") << u"99:00:00"_s << false << true << u"cannot be reached"_s;
        QTest::newRow("not a time") << u"soon"_s << false << false << QString();
    }

    void targetTime()
    {
        QFETCH(QString, typed);
        QFETCH(bool, section);
        QFETCH(bool, set);
        QFETCH(QString, message);
        Prompter p;
        p.form.showEditedScript(sectionedScript(3));
        p.settle();
        p.dialogs.modal = [&](QDialog *dialog) {
            widget<QLineEdit>(*dialog, "durationEdit")->setText(typed);
            if (section)
                widget<QRadioButton>(*dialog, "restOfSectionButton")->setChecked(true);
            return int(QDialog::Accepted);
        };
        widget<QAction>(p.form, "targetTimeAction")->trigger();
        QCOMPARE(p.form.currentSpeed() != 0, set);
        QVERIFY(!clock(p.form)->enabled());
        if (!set) {
            QVERIFY(p.dialogs.messages.isEmpty());
            return;
        }
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY2(p.dialogs.messages.constFirst().contains(message),
                 qPrintable(p.dialogs.messages.constFirst()));
        QVERIFY2(p.dialogs.messages.constFirst().contains(section ? u"the rest of the section"_s
                                                                  : u"the rest of the script"_s),
                 qPrintable(p.dialogs.messages.constFirst()));
        QCOMPARE(labelText(p.form, "speedLabel"), texts::rsPaused);
        QVERIFY(p.form.scrollForward());
    }
};

QTEST_MAIN(ShowTest)
#include "tst_show.moc"
