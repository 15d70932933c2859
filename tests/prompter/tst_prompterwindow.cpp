#include "prompterfixture.h"

#include <QScrollBar>

#include "aboutdialog.h"
#include "artwork.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "picturebutton.h"
#include "quickeditdialog.h"
#include "radiogroup.h"
#include "scrollclock.h"
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
        QCOMPARE(labelText(f, "speedLabel"), QStringLiteral("Paused..."));
        QCOMPARE(labelText(f, "scriptLabel"), QStringLiteral("No Script."));
        QCOMPARE(labelText(f, "stepLabel"), QStringLiteral("Coarse: 1"));
        QCOMPARE(labelText(f, "versionLabel"), QStringLiteral("Tavrix version 2.0.0   "));
        QCOMPARE(labelText(f, "separatorLabel"), QStringLiteral("  |  "));
        QCOMPARE(labelText(f, "speedCaption"), QStringLiteral("Speed "));
        QCOMPARE(labelText(f, "stepCaption"), QStringLiteral("Coarse: "));
        QCOMPARE(labelText(f, "menuHint"), QStringLiteral("Right click for menu."));
        QVERIFY(labelText(f, "helpLine")
                    .startsWith(QStringLiteral("W-Increase Speed | S-Decrease Speed")));
        QVERIFY(labelText(f, "elapsedLabel").isEmpty());
        QVERIFY(labelText(f, "remainingLabel").isEmpty());
        QCOMPARE(widget<QSlider>(f, "speedSlider")->value(), 10);
        QCOMPARE(f.currentSpeed(), 0);
        QCOMPARE(widget<QSlider>(f, "stepSlider")->value(), 1);
        const auto *timer = widget<ScrollClock>(f, "scrollTimer");
        QVERIFY(!timer->enabled());
        QCOMPARE(timer->interval(), 300u);
        QVERIFY(f.scriptLines().isEmpty());
        QVERIFY(f.scriptTitle().isEmpty());
        QVERIFY(!f.scrollForward());
        QVERIFY(!f.helpShown());
    }

    void startUp_showsTheStartupPage()
    {
        Prompter p;
        QCOMPARE(p.form.pageLines(), buildStartupPage({QStringLiteral("Arial"), 24}));
        QVERIFY(page(p.form)->hasDocument());
    }

    void loadedPage_recordsItsLengthAndReturnsToTheTop()
    {
        Prompter p;
        p.showScript(300);
        auto *bar = page(p.form)->verticalScrollBar();
        QVERIFY(bar->maximum() > 1000);
        QCOMPARE(p.form.documentLength(), bar->maximum());
        QCOMPARE(page(p.form)->scrollPosition(), 0);
        p.showScript(3);
        QCOMPARE(p.form.documentLength(), bar->maximum());
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
        // The prompter was handed the options window: its Options command shows that one.
        QDialog *shown = nullptr;
        p.dialogs.modal = [&shown](QDialog *dialog) {
            shown = dialog;
            return int(QDialog::Rejected);
        };
        widget<QAction>(p.form, "optionsAction")->trigger();
        QCOMPARE(shown, p.windows.options.get());
    }

    void composition_sizesAndColours()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        auto *statusStrip = widget<QFrame>(f, "statusStrip");
        auto *sliderColumn = widget<QFrame>(f, "sliderColumn");
        auto *speedSlider = widget<QSlider>(f, "speedSlider");
        auto *stepSlider = widget<QSlider>(f, "stepSlider");
        QCOMPARE(statusStrip->height(), 52);
        QCOMPARE(widget<QFrame>(f, "logoPanel")->width(), 100);
        QCOMPARE(widget<QLabel>(f, "logo")->size(), QSize(100, 70));
        QCOMPARE(sliderColumn->width(), 40);
        QCOMPARE(sliderColumn->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
        QCOMPARE(f.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(speedSlider->minimum(), -300);
        QCOMPARE(speedSlider->maximum(), 300);
        QCOMPARE(speedSlider->orientation(), Qt::Vertical);
        QCOMPARE(stepSlider->minimum(), 1);
        QCOMPARE(stepSlider->maximum(), 10);
        // The page sits between the logo panel and the slider column, above the strip.
        const QPoint view = page(f)->mapTo(&f, QPoint(0, 0));
        QCOMPARE(view.x(), 100);
        QCOMPARE(sliderColumn->mapTo(&f, QPoint(0, 0)).x(), f.width() - 40);
        QCOMPARE(statusStrip->mapTo(&f, QPoint(0, 0)).y(), f.height() - 52);
        const char *const names[] = {"fasterButton",       "slowerButton",   "coarseFasterButton",
                                     "coarseSlowerButton", "pauseButton",    "reverseButton",
                                     "resetButton",        "previousButton", "nextButton",
                                     "helpButton"};
        QList<PictureButton *> buttons;
        for (const char *name : names)
            buttons.append(widget<PictureButton>(f, name));
        // The first picture of each button, in the window's strip of 28.
        const QList<int> pictures = {0, 2, 6, 4, 8, 10, 12, 14, 16, 20};
        const QList<QPixmap> strip = makeImageList1();
        const QStringList hints = {
            rsIncreaseSpeed,  rsDecreaseSpeed,    rsCoarseFaster, rsCoarseSlower,
            rsPause,          rsReverseDirection, rsReset,        rsLoadPreviousScript,
            rsLoadNextScript, rsToggleHelp};
        int x = -1;
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->height(), 15);
            QVERIFY(buttons[i]->width() == 20 || buttons[i]->width() == 21);
            QCOMPARE(buttons[i]->toolTip(), hints[i]);
            QCOMPARE(buttons[i]->pixmap().toImage(), strip.at(pictures[i]).toImage());
            const int bx = buttons[i]->mapTo(&f, QPoint(0, 0)).x();
            QVERIFY(bx > x);
            x = bx;
        }
        QVERIFY(widget<QLabel>(f, "separatorLabel")->mapTo(&f, QPoint(0, 0)).x() <
                widget<PictureButton>(f, "helpButton")->mapTo(&f, QPoint(0, 0)).x());
        QCOMPARE(strip.size(), 28);
        QCOMPARE(makeImageList2().size(), 4);
        // The last of the 28 is the About command's.
        QCOMPARE(widget<QAction>(f, "aboutAction")->icon().pixmap(strip.at(27).size()).toImage(),
                 strip.at(27).toImage());
    }

    void menu_itemsInOrder()
    {
        Prompter p;
        QStringList captions;
        for (QAction *a : widget<QMenu>(p.form, "logoMenu")->actions())
            captions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
        const QStringList specified{rsOpenSingleScript,
                                    rsFont,
                                    QStringLiteral("-"),
                                    rsOptions,
                                    QStringLiteral("-"),
                                    rsQuickEdit,
                                    rsPrintScript,
                                    QStringLiteral("-"),
                                    rsShowStatusBar,
                                    QStringLiteral("-"),
                                    rsAbout};
        QCOMPARE(captions.mid(0, specified.size()), specified);
        // Additions come after the specified items, each group behind a separator.
        QCOMPARE(captions.mid(specified.size()),
                 QStringList(
                     {QStringLiteral("-"), rsMirrorLeftToRight, rsMirrorTopToBottom, rsTalentScreen,
                      QStringLiteral("-"), QStringLiteral("Remote Control..."), QStringLiteral("-"),
                      rsFollowMyVoice, QStringLiteral("-"), rsPaste, QStringLiteral("-"),
                      QStringLiteral("Keys and Devices..."), QStringLiteral("-"),
                      QStringLiteral("Next Marker"), QStringLiteral("Previous Marker"),
                      QStringLiteral("Go To"), QStringLiteral("-"),
                      QStringLiteral("Target Time..."), QStringLiteral("Show Options...")}));
        QVERIFY(widget<QAction>(p.form, "followVoiceAction")->isCheckable());
        QVERIFY(!widget<QAction>(p.form, "followVoiceAction")->isChecked());
        // The page is drawn as it is until the operator asks for a mirror.
        QVERIFY(!widget<QAction>(p.form, "mirrorLeftToRightAction")->isChecked());
        QVERIFY(!page(p.form)->mirroredLeftToRight() && !page(p.form)->mirroredTopToBottom());
        QVERIFY(widget<QAction>(p.form, "statusStripAction")->isChecked());
        QVERIFY(widget<QAction>(p.form, "statusStripAction")->icon().isNull());
        QVERIFY(!widget<QAction>(p.form, "openAction")->icon().isNull());
    }

    void rightClick_opensTheMenuOnTheLogoPanelOnly_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        QTest::newRow("page") << QStringLiteral("page") << false;
        QTest::newRow("page viewport") << QStringLiteral("viewport") << false;
        QTest::newRow("logo panel") << QStringLiteral("logoPanel") << true;
        QTest::newRow("logo") << QStringLiteral("logo") << true;
        QTest::newRow("label") << QStringLiteral("menuHint") << true;
    }

    void rightClick_opensTheMenuOnTheLogoPanelOnly()
    {
        QFETCH(QString, target);
        QFETCH(bool, opens);
        Prompter p;
        PrompterWindow &f = p.form;
        QWidget *w = target == QLatin1String("viewport")
                         ? page(f)->viewport()
                         : widget<QWidget>(f, target.toLatin1().constData());
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                w->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(w, &event);
        auto *menu = widget<QMenu>(f, "logoMenu");
        QCOMPARE(menu->isVisible(), opens);
        menu->hide();
    }

    void setform_docksAcrossThePrimaryScreen_data()
    {
        // Steps in order: T and B choose Align Top or Bottom through the options, S toggles the
        // strip.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QRect>("expected");
        // The offscreen platform's screen: 800 x 800 without panels.
        QTest::newRow("top") << QStringLiteral("T") << QRect(0, 0, 800, 250);
        QTest::newRow("bottom") << QStringLiteral("B") << QRect(0, 550, 800, 250);
        QTest::newRow("strip hidden, then bottom")
            << QStringLiteral("SB") << QRect(0, 602, 800, 198);
        // The top gives the band its full height back although the strip stays hidden.
        QTest::newRow("bottom, strip hidden, top")
            << QStringLiteral("BST") << QRect(0, 0, 800, 250);
        QTest::newRow("bottom, strip hidden, top, bottom")
            << QStringLiteral("BSTB") << QRect(0, 550, 800, 250);
        QTest::newRow("bottom, strip hidden, top, bottom, strip shown")
            << QStringLiteral("BSTBS") << QRect(0, 498, 800, 302);
    }

    void setform_docksAcrossThePrimaryScreen()
    {
        QFETCH(QString, steps);
        QFETCH(QRect, expected);
        Prompter p;
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 800, 800));
        for (const QChar step : steps) {
            if (step == u'S') {
                widget<QAction>(p.form, "statusStripAction")->trigger();
                continue;
            }
            const int placement = step == u'B' ? 1 : 0;
            p.dialogs.modal = [placement](QDialog *dialog) {
                widget<RadioGroup>(*dialog, "placementGroup")->setItemIndex(placement);
                return int(QDialog::Accepted);
            };
            p.form.showOptions();
        }
        QCOMPARE(p.form.frameGeometry(), expected);
    }

    void hoverPictures_followThePointer()
    {
        Prompter p;
        const QList<QPixmap> pictures = makeImageList1();
        const auto shows = [&](PictureButton *b, int index) {
            return b->pixmap().toImage() == pictures.at(index).toImage();
        };
        auto *pauseButton = widget<PictureButton>(p.form, "pauseButton");
        QVERIFY(shows(pauseButton, 8));
        QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), pauseButton->mapToGlobal(QPointF(3, 3)));
        QApplication::sendEvent(pauseButton, &enter);
        QVERIFY(shows(pauseButton, 9));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(pauseButton, &leave);
        QVERIFY(shows(pauseButton, 8));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_prompterwindow.moc"
