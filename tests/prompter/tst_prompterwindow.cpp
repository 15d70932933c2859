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
        PrompterWindow &f = p.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Tavrix2 Home"));
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Paused..."));
        QCOMPARE(f.scriptLabel->text(), QStringLiteral("No Script."));
        QCOMPARE(f.stepLabel->text(), QStringLiteral("Coarse: 1"));
        QCOMPARE(f.versionLabel->text(), QStringLiteral("Tavrix version 2.0.0   "));
        QCOMPARE(f.separatorLabel->text(), QStringLiteral("  |  "));
        QCOMPARE(f.speedCaption->text(), QStringLiteral("Speed "));
        QCOMPARE(f.stepCaption->text(), QStringLiteral("Coarse: "));
        QCOMPARE(f.menuHint->text(), QStringLiteral("Right click for menu."));
        QVERIFY(
            f.helpLine->text().startsWith(QStringLiteral("W-Increase Speed | S-Decrease Speed")));
        QVERIFY(f.elapsedLabel->text().isEmpty());
        QVERIFY(f.remainingLabel->text().isEmpty());
        QCOMPARE(f.speedSlider->value(), 10);
        QCOMPARE(f.m_currentSpeed, 0);
        QCOMPARE(f.stepSlider->value(), 1);
        QVERIFY(!f.scrollTimer->enabled());
        QCOMPARE(f.scrollTimer->interval(), 300u);
        QVERIFY(f.m_scriptLines.isEmpty());
        QVERIFY(f.m_scriptTitle.isEmpty());
        QVERIFY(!f.m_scrollForward);
        QVERIFY(!f.m_helpShown);
    }

    void startUp_showsTheStartupPage()
    {
        Prompter p;
        QCOMPARE(p.form.m_pageLines, buildStartupPage({QStringLiteral("Arial"), 24}));
        QVERIFY(p.form.page->hasDocument());
        QCOMPARE(p.form.m_documentLength, p.form.page->scrollPosition());
    }

    void windows_areCreatedHiddenWithTheirCaptions()
    {
        Prompter p;
        QVERIFY(p.form.isVisible());
        QCOMPARE(p.windows.quickEdit->windowTitle(), QStringLiteral("Tavrix Quick Edit"));
        QCOMPARE(p.windows.options->windowTitle(), QStringLiteral("Tavrix Options"));
        QCOMPARE(p.windows.about->windowTitle(), QStringLiteral("About Tavrix2"));
        QVERIFY(!p.windows.quickEdit->isVisible());
        QVERIFY(!p.windows.options->isVisible());
        QVERIFY(!p.windows.about->isVisible());
        QCOMPARE(p.form.m_options, p.windows.options.get());
    }

    void composition_sizesAndColours()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        QCOMPARE(f.statusStrip->height(), 52);
        QCOMPARE(f.logoPanel->width(), 100);
        QCOMPARE(f.logo->size(), QSize(100, 70));
        QCOMPARE(f.sliderColumn->width(), 40);
        QCOMPARE(f.sliderColumn->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
        QCOMPARE(f.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(f.speedSlider->minimum(), -300);
        QCOMPARE(f.speedSlider->maximum(), 300);
        QCOMPARE(f.speedSlider->orientation(), Qt::Vertical);
        QCOMPARE(f.stepSlider->minimum(), 1);
        QCOMPARE(f.stepSlider->maximum(), 10);
        // The page sits between the logo panel and the slider column, above the strip.
        const QPoint view = f.page->mapTo(&f, QPoint(0, 0));
        QCOMPARE(view.x(), 100);
        QCOMPARE(f.sliderColumn->mapTo(&f, QPoint(0, 0)).x(), f.width() - 40);
        QCOMPARE(f.statusStrip->mapTo(&f, QPoint(0, 0)).y(), f.height() - 52);
        const QList<PictureButton *> buttons = {
            f.fasterButton, f.slowerButton,  f.coarseFasterButton, f.coarseSlowerButton,
            f.pauseButton,  f.reverseButton, f.resetButton,        f.previousButton,
            f.nextButton,   f.helpButton};
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
        QVERIFY(f.separatorLabel->mapTo(&f, QPoint(0, 0)).x() <
                f.helpButton->mapTo(&f, QPoint(0, 0)).x());
        QCOMPARE(f.m_buttonPictures.size(), 28);
        QCOMPARE(f.m_logoPictures.size(), 4);
    }

    void menu_itemsInOrder()
    {
        Prompter p;
        QStringList captions;
        for (QAction *a : p.form.logoMenu->actions())
            captions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(captions,
                 QStringList({rsOpenSingleScript, rsFont, QStringLiteral("-"), rsOptions,
                              QStringLiteral("-"), rsQuickEdit, rsPrintScript, QStringLiteral("-"),
                              rsShowStatusBar, QStringLiteral("-"), rsAbout}));
        QVERIFY(p.form.statusStripAction->isChecked());
        QVERIFY(p.form.statusStripAction->icon().isNull());
        QVERIFY(!p.form.openAction->icon().isNull());
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
        PrompterWindow &f = p.form;
        QWidget *w = target == QLatin1String("wb1")        ? static_cast<QWidget *>(f.page)
                     : target == QLatin1String("viewport") ? f.page->viewport()
                     : target == QLatin1String("Panel2")   ? static_cast<QWidget *>(f.logoPanel)
                     : target == QLatin1String("Image1")   ? static_cast<QWidget *>(f.logo)
                                                           : static_cast<QWidget *>(f.menuHint);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                w->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w, &event);
        QCOMPARE(f.logoMenu->isVisible(), opens);
        f.logoMenu->hide();
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
        PrompterWindow &f = p.form;
        const auto shows = [&](PictureButton *b, int index) {
            return b->pixmap().toImage() == f.m_buttonPictures.at(index).toImage();
        };
        QVERIFY(shows(f.pauseButton, 8));
        f.showButtonPicture(9, f.pauseButton);
        QVERIFY(shows(f.pauseButton, 9));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.pauseButton, &leave);
        QVERIFY(shows(f.pauseButton, 8));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_prompterwindow.moc"
