#include "prompterfixture.h"

#include "aboutdialog.h"
#include "docking.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "quickeditdialog.h"
#include "texts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSlider>

using namespace texts;

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp_texts()
    {
        Prompter p;
        TForm1 &f = p.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Tavrix2 Home"));
        QCOMPARE(f.Label1->text(), QStringLiteral("Paused..."));
        QCOMPARE(f.Label4->text(), QStringLiteral("No Script."));
        QCOMPARE(f.coarselabel->text(), QStringLiteral("Coarse: 1"));
        QCOMPARE(f.Label6->text(), QStringLiteral("Tavrix version 2.0.0   "));
        QCOMPARE(f.Label7->text(), QStringLiteral("  |  "));
        QCOMPARE(f.Label12->text(), QStringLiteral("Speed "));
        QCOMPARE(f.Label11->text(), QStringLiteral("Coarse: "));
        QCOMPARE(f.Label2->text(), QStringLiteral("Right click for menu."));
        QVERIFY(f.Label5->text().startsWith(QStringLiteral("W-Increase Speed | S-Decrease Speed")));
        QVERIFY(f.timespentlabel->text().isEmpty());
        QVERIFY(f.timeleftlabel->text().isEmpty());
        QCOMPARE(f.slidera->value(), 10);
        QCOMPARE(f.CurrentSpeed, 0);
        QCOMPARE(f.speedmod->value(), 1);
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(f.Timer1->interval(), 300u);
        QVERIFY(f.ScriptLines.isEmpty());
        QVERIFY(f.ScriptTitle.isEmpty());
        QVERIFY(!f.ScrollForward);
        QVERIFY(!f.HelpShown);
    }

    void startUp_showsTheStartupPage()
    {
        Prompter p;
        QCOMPARE(p.form.PageLines, buildStartupPage({QStringLiteral("Arial"), 24}));
        QVERIFY(p.form.wb1->hasDocument());
        QCOMPARE(p.form.DocumentLength, p.form.wb1->scrollPosition());
    }

    void windows_areCreatedHiddenWithTheirCaptions()
    {
        Prompter p;
        QVERIFY(p.form.isVisible());
        QCOMPARE(p.windows.Form2->windowTitle(), QStringLiteral("Tavrix Quick Edit"));
        QCOMPARE(p.windows.Form4->windowTitle(), QStringLiteral("Tavrix Options"));
        QCOMPARE(p.windows.aboutform->windowTitle(), QStringLiteral("About Tavrix2"));
        QVERIFY(!p.windows.Form2->isVisible());
        QVERIFY(!p.windows.Form4->isVisible());
        QVERIFY(!p.windows.aboutform->isVisible());
        QCOMPARE(p.form.Form4, p.windows.Form4.get());
    }

    void composition_sizesAndColours()
    {
        Prompter p;
        TForm1 &f = p.form;
        QCOMPARE(f.statusbar->height(), 52);
        QCOMPARE(f.Panel2->width(), 100);
        QCOMPARE(f.Image1->size(), QSize(100, 70));
        QCOMPARE(f.Panel3->width(), 40);
        QCOMPARE(f.Panel3->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
        QCOMPARE(f.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(f.slidera->minimum(), -300);
        QCOMPARE(f.slidera->maximum(), 300);
        QCOMPARE(f.slidera->orientation(), Qt::Vertical);
        QCOMPARE(f.speedmod->minimum(), 1);
        QCOMPARE(f.speedmod->maximum(), 10);
        // The page sits between the logo panel and the slider column, above the strip.
        const QPoint view = f.wb1->mapTo(&f, QPoint(0, 0));
        QCOMPARE(view.x(), 100);
        QCOMPARE(f.Panel3->mapTo(&f, QPoint(0, 0)).x(), f.width() - 40);
        QCOMPARE(f.statusbar->mapTo(&f, QPoint(0, 0)).y(), f.height() - 52);
        const QList<PictureButton *> buttons = {f.Image4, f.Image12, f.Image10, f.Image11,
                                                f.Image9, f.Image8,  f.Image7,  f.Image6,
                                                f.Image5, f.Image13};
        const QStringList hints = {
            rsIncreaseSpeed,  rsDecreaseSpeed,    rsCoarseFaster, rsCoarseSlower,
            rsPause,          rsReverseDirection, rsReset,        rsLoadPreviousScript,
            rsLoadNextScript, rsToggleHelp};
        int x = -1;
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->height(), 15);
            QVERIFY(buttons[i]->width() == 20 || buttons[i]->width() == 21);
            QCOMPARE(buttons[i]->toolTip(), hints[i]);
            const int bx = buttons[i]->mapTo(&f, QPoint(0, 0)).x();
            QVERIFY(bx > x);
            x = bx;
        }
        QVERIFY(f.Label7->mapTo(&f, QPoint(0, 0)).x() < f.Image13->mapTo(&f, QPoint(0, 0)).x());
        QCOMPARE(f.ImageList1.size(), 28);
        QCOMPARE(f.ImageList2.size(), 4);
    }

    void menu_itemsInOrder()
    {
        Prompter p;
        QStringList captions;
        for (QAction *a : p.form.JvPopupMenu1->actions())
            captions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions,
                 QStringList({rsOpenSingleScript, rsFont, QStringLiteral("-"), rsOptions,
                              QStringLiteral("-"), rsQuickEdit, rsPrintScript, QStringLiteral("-"),
                              rsShowStatusBar, QStringLiteral("-"), rsAbout}));
        QVERIFY(p.form.Showstatusbar1->isChecked());
        QVERIFY(p.form.Showstatusbar1->icon().isNull());
        QVERIFY(!p.form.OpenSimplescript1->icon().isNull());
    }

    void rightClick_opensTheMenuOnTheLogoPanelOnly_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        QTest::newRow("page") << QStringLiteral("wb1") << false;
        QTest::newRow("page viewport") << QStringLiteral("viewport") << false;
        QTest::newRow("logo panel") << QStringLiteral("Panel2") << true;
        QTest::newRow("logo") << QStringLiteral("Image1") << true;
        QTest::newRow("label") << QStringLiteral("Label2") << true;
    }

    void rightClick_opensTheMenuOnTheLogoPanelOnly()
    {
        QFETCH(QString, target);
        QFETCH(bool, opens);
        Prompter p;
        TForm1 &f = p.form;
        QWidget *w = target == QLatin1String("wb1")        ? static_cast<QWidget *>(f.wb1)
                     : target == QLatin1String("viewport") ? f.wb1->viewport()
                     : target == QLatin1String("Panel2")   ? static_cast<QWidget *>(f.Panel2)
                     : target == QLatin1String("Image1")   ? static_cast<QWidget *>(f.Image1)
                                                           : static_cast<QWidget *>(f.Label2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                w->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w, &event);
        QCOMPARE(f.JvPopupMenu1->isVisible(), opens);
        f.JvPopupMenu1->hide();
    }

    void setform_docksAcrossThePrimaryScreen()
    {
        Prompter p;
        const QScreen *screen = QGuiApplication::primaryScreen();
        const QRect expected = dockedPlacement(
            screen->geometry().width(), screen->geometry().height(),
            taskBarFromScreen(screen->geometry(), screen->availableGeometry()), false, 250);
        QCOMPARE(p.form.frameGeometry(), expected);
    }

    void hoverPictures_followThePointer()
    {
        Prompter p;
        TForm1 &f = p.form;
        const auto shows = [&](PictureButton *b, int index) {
            return b->pixmap().toImage() == f.ImageList1.at(index).toImage();
        };
        QVERIFY(shows(f.Image9, 8));
        f.mouseover(9, f.Image9);
        QVERIFY(shows(f.Image9, 9));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.Image9, &leave);
        QVERIFY(shows(f.Image9, 8));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_prompterwindow.moc"
