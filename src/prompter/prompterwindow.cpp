#include "prompterwindow.h"

#include "application.h"
#include "artwork.h"
#include "colours.h"
#include "connectionprobe.h"
#include "flatmenustyle.h"
#include "followmotion.h"
#include "htmlview.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "registrystore.h"
#include "remotewindow.h"
#include "scrollclock.h"
#include "talentscreen.h"
#include "talentwindow.h"
#include "tavrixerror.h"
#include "texts.h"
#include "voicefollower.h"
#include "windowsettings.h"
#include "wordlayout.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

using namespace texts;

namespace {

// Names in the settings store, not role names: existing settings files rely on them.
const QString kStoreRoot = QStringLiteral("software\\morvane\\tavrix");
const QString kStoreSection = QStringLiteral("Form1");
const QString kFontValue = QStringLiteral("FontDialog1_Font");
const QString kStepValue = QStringLiteral("speedmod_Value");
const QString kPeriodValue = QStringLiteral("Timer1_Interval");
const QString kRemotePortValue = QStringLiteral("RemotePort");
const QString kMirrorXValue = QStringLiteral("MirrorLeftToRight");
const QString kMirrorYValue = QStringLiteral("MirrorTopToBottom");

QFont tahoma()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

QFrame *panel(QWidget *parent, const char *name, const QColor &colour = QColor())
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::NoFrame);
    if (colour.isValid())
        fillBackground(frame, colour);
    return frame;
}

QLabel *label(QWidget *parent, const char *name, const QColor &colour)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    // Paths and texts are shown as they are, never read as markup.
    l->setTextFormat(Qt::PlainText);
    setTextColour(l, colour);
    return l;
}

} // namespace

PrompterWindow::PrompterWindow(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("prompterWindow"));
    setWindowTitle(rsAppTitle);
    fillBackground(this, Qt::black);
    setFont(tahoma());
    resize(737, 356);
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->setExceptionHook([this](const std::exception &e) { showError(e); });
    scrollTimer = new ScrollClock(300, this);
    scrollTimer->setObjectName(QStringLiteral("scrollTimer"));
    repeatTimer = new PromptTimer(500, this);
    repeatTimer->setObjectName(QStringLiteral("repeatTimer"));
    connectionProbe = new ConnectionProbe(this);
    connectionProbe->setObjectName(QStringLiteral("connectionProbe"));
    m_buttonPictures = makeImageList1();
    m_logoPictures = makeImageList2();
    createControls();
    createMenu();
    connectHandlers();
    createSettings();
    // After the talent screen's submenu, which needs the store.
    createRemote();
    // After the remote's item.
    createVoiceFollowing();
    createScriptImport();
    initialise();
}

void PrompterWindow::createSettings()
{
    m_store = std::make_unique<RegistryStore>(kStoreRoot);
    m_settings = std::make_unique<WindowSettings>(
        this, kStoreSection, *m_store,
        WindowSettings::RememberSize | WindowSettings::RememberPosition,
        [this](const std::exception &error) { showError(error); });
    m_settings->addFont(
        kFontValue, [this] { return m_promptFont; },
        [this](const FontRecord &font) {
            const QString name = m_promptFont.Name;
            m_promptFont = font;
            if (m_promptFont.Name.isEmpty())
                m_promptFont.Name = name;
        });
    m_settings->addInteger(
        kStepValue, [this] { return stepSlider->value(); },
        [this](int value) { stepSlider->setValue(std::clamp(value, 1, 10)); });
    m_settings->addInteger(
        kPeriodValue, [this] { return int(scrollTimer->interval()); },
        [this](int value) { scrollTimer->setInterval(unsigned(value)); });
    m_settings->addInteger(
        kRemotePortValue, [this] { return m_remote->port(); },
        [this](int value) { m_remote->setPort(value); });
    const auto mirrorFlag = [this](const QString &name, QAction *item) {
        m_settings->addInteger(
            name, [item] { return item->isChecked() ? 1 : 0; },
            [this, item](int value) {
                item->setChecked(value != 0);
                applyMirror();
            });
    };
    mirrorFlag(kMirrorXValue, mirrorLeftToRightAction);
    mirrorFlag(kMirrorYValue, mirrorTopToBottomAction);
    talentScreen = new TalentScreen(page, this, *m_store, kStoreSection, m_menuStyle.get());
    // Full screen on another screen, it must still never take a click meant for the band.
    connect(talentScreen, &TalentScreen::opened, this,
            [](TalentWindow *window) { window->setWindowFlag(Qt::WindowTransparentForInput); });
    logoMenu->addMenu(talentScreen->menu())->setObjectName(QStringLiteral("talentScreenItem"));
}

PrompterWindow::~PrompterWindow()
{
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->setExceptionHook({});
}

void PrompterWindow::setDialogs(QuickEditDialog *quickEdit, OptionsDialog *options,
                                AboutDialog *about)
{
    m_quickEdit = quickEdit;
    m_options = options;
    m_about = about;
}

void PrompterWindow::createControls()
{
    auto *root = new QVBoxLayout(this);
    // The band takes whatever width the screen has; the help line clips.
    root->setSizeConstraint(QLayout::SetNoConstraint);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    bandArea = panel(this, "bandArea");
    auto *middle = new QHBoxLayout(bandArea);
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);

    logoPanel = panel(bandArea, "logoPanel");
    logoPanel->setFixedWidth(100);
    auto *logoColumn = new QVBoxLayout(logoPanel);
    logoColumn->setContentsMargins(0, 0, 0, 0);
    logoColumn->setSpacing(0);
    logo = new QLabel(logoPanel);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setFixedSize(100, 70);
    logo->setAlignment(Qt::AlignCenter);
    logo->setPixmap(makeLogo());
    logoColumn->addWidget(logo, 0, Qt::AlignLeft | Qt::AlignTop);
    logoColumn->addStretch(1);
    menuHint = label(logoPanel, "menuHint", Qt::white);
    menuHint->setContentsMargins(3, 3, 3, 3);
    menuHint->setWordWrap(true);
    logoColumn->addWidget(menuHint);
    middle->addWidget(logoPanel);

    viewArea = panel(bandArea, "viewArea");
    auto *viewRow = new QHBoxLayout(viewArea);
    viewRow->setContentsMargins(0, 0, 0, 0);
    viewRow->setSpacing(0);
    pageFrame = panel(viewArea, "pageFrame");
    auto *viewBox = new QVBoxLayout(pageFrame);
    viewBox->setContentsMargins(0, 0, 0, 0);
    page = new HtmlView(pageFrame);
    page->setObjectName(QStringLiteral("page"));
    page->setPrintHook([this](QTextDocument *document) { m_dialogs.printPreview(this, document); });
    viewBox->addWidget(page);
    viewRow->addWidget(pageFrame, 1);

    sliderColumn = panel(viewArea, "sliderColumn", QColor(0x80, 0x80, 0x80));
    sliderColumn->setFixedWidth(40);
    auto *sliders = new QVBoxLayout(sliderColumn);
    sliders->setContentsMargins(3, 3, 3, 3);
    sliders->setSpacing(6);
    speedCaption = label(sliderColumn, "speedCaption", Qt::black);
    speedCaption->setFixedHeight(13);
    speedSlider = new IncrementSlider(Qt::Vertical, 10, sliderColumn);
    speedSlider->setObjectName(QStringLiteral("speedSlider"));
    speedSlider->setRange(-300, 300);
    speedSlider->setValue(10);
    speedSlider->setFixedHeight(61);
    stepCaption = label(sliderColumn, "stepCaption", Qt::black);
    stepCaption->setFixedHeight(13);
    stepSlider = new IncrementSlider(Qt::Vertical, 3, sliderColumn);
    stepSlider->setObjectName(QStringLiteral("stepSlider"));
    stepSlider->setRange(1, 10);
    stepSlider->setValue(1);
    stepSlider->setFixedHeight(48);
    for (QWidget *w : {static_cast<QWidget *>(speedCaption), static_cast<QWidget *>(speedSlider),
                       static_cast<QWidget *>(stepCaption), static_cast<QWidget *>(stepSlider)})
        sliders->addWidget(w, 0, Qt::AlignHCenter);
    sliders->addStretch(1);
    viewRow->addWidget(sliderColumn);
    middle->addWidget(viewArea, 1);
    root->addWidget(bandArea, 1);

    statusStrip = panel(this, "statusStrip");
    statusStrip->setFixedHeight(52);
    auto *strip = new QVBoxLayout(statusStrip);
    strip->setContentsMargins(0, 0, 0, 0);
    stripRows = panel(statusStrip, "stripRows");
    strip->addWidget(stripRows);
    auto *rows = new QVBoxLayout(stripRows);
    rows->setContentsMargins(3, 3, 3, 3);
    rows->setSpacing(6);

    statusRow = panel(stripRows, "statusRow");
    statusRow->setFrameStyle(QFrame::Panel | QFrame::Raised);
    statusRow->setLineWidth(1);
    statusRow->setFixedHeight(25);
    auto *upper = new QHBoxLayout(statusRow);
    upper->setContentsMargins(4, 1, 4, 1);
    upper->setSpacing(12);
    speedLabel = label(statusRow, "speedLabel", Qt::white);
    stepLabel = label(statusRow, "stepLabel", Qt::white);
    scriptLabel = label(statusRow, "scriptLabel", Qt::white);
    versionLabel = label(statusRow, "versionLabel", Qt::white);
    elapsedLabel = label(statusRow, "elapsedLabel", Qt::white);
    remainingLabel = label(statusRow, "remainingLabel", Qt::white);
    for (QLabel *l : {elapsedLabel, remainingLabel})
        fillBackground(l, Qt::black);
    upper->addWidget(speedLabel);
    upper->addWidget(stepLabel);
    upper->addWidget(scriptLabel);
    upper->addWidget(versionLabel);
    upper->addStretch(1);
    upper->addWidget(elapsedLabel);
    upper->addWidget(remainingLabel);
    rows->addWidget(statusRow);

    auto *lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(6);
    const auto button = [this, lower](const char *name, int width, int startPicture) {
        auto *b = new PictureButton(stripRows);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(width, 15);
        b->setPixmap(m_buttonPictures.value(startPicture));
        lower->addWidget(b);
        return b;
    };
    fasterButton = button("fasterButton", 20, 0);
    slowerButton = button("slowerButton", 21, 2);
    coarseFasterButton = button("coarseFasterButton", 21, 6);
    coarseSlowerButton = button("coarseSlowerButton", 21, 4);
    pauseButton = button("pauseButton", 21, 8);
    reverseButton = button("reverseButton", 21, 10);
    resetButton = button("resetButton", 20, 12);
    previousButton = button("previousButton", 20, 14);
    nextButton = button("nextButton", 21, 16);
    separatorLabel = label(stripRows, "separatorLabel", Qt::white);
    separatorLabel->setFixedHeight(15);
    lower->addWidget(separatorLabel);
    helpButton = button("helpButton", 21, 20);
    helpLine = label(stripRows, "helpLine", QColor(0xC0, 0xC0, 0xC0));
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    helpLine->setFont(arial);
    helpLine->setAlignment(Qt::AlignCenter);
    helpLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    helpLine->setFixedHeight(15);
    lower->addWidget(helpLine, 1);
    rows->addLayout(lower);
    root->addWidget(statusStrip);
}

void PrompterWindow::createMenu()
{
    m_menuStyle = std::make_unique<FlatMenuStyle>();
    logoMenu = new QMenu(this);
    logoMenu->setObjectName(QStringLiteral("logoMenu"));
    logoMenu->setStyle(m_menuStyle.get());
    const auto item = [this](const char *name, int picture) {
        auto *action = logoMenu->addAction(QString());
        action->setObjectName(QLatin1String(name));
        if (picture >= 0)
            action->setIcon(QIcon(m_buttonPictures.value(picture)));
        return action;
    };
    openAction = item("openAction", 22);
    fontAction = item("fontAction", 23);
    logoMenu->addSeparator();
    optionsAction = item("optionsAction", 26);
    logoMenu->addSeparator();
    quickEditAction = item("quickEditAction", 25);
    printAction = item("printAction", 24);
    logoMenu->addSeparator();
    statusStripAction = item("statusStripAction", -1);
    statusStripAction->setCheckable(true);
    statusStripAction->setChecked(true);
    logoMenu->addSeparator();
    aboutAction = item("aboutAction", 27);
    logoMenu->addSeparator();
    mirrorLeftToRightAction = item("mirrorLeftToRightAction", -1);
    mirrorTopToBottomAction = item("mirrorTopToBottomAction", -1);
    for (QAction *mirror : {mirrorLeftToRightAction, mirrorTopToBottomAction})
        mirror->setCheckable(true);
    for (QWidget *w : {static_cast<QWidget *>(logoPanel), static_cast<QWidget *>(logo),
                       static_cast<QWidget *>(menuHint)}) {
        w->setContextMenuPolicy(Qt::DefaultContextMenu);
        w->installEventFilter(this);
    }
}

bool PrompterWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu &&
        (watched == logoPanel || watched == logo || watched == menuHint)) {
        logoMenu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PrompterWindow::assignTexts()
{
    helpLine->setText(rsHelpLine);
    menuHint->setText(rsRightClickForMenu);
    speedCaption->setText(rsSpeed);
    stepCaption->setText(rsCoarse);
    separatorLabel->setText(rsSeparator);
    openAction->setText(rsOpenSingleScript);
    fontAction->setText(rsFont);
    optionsAction->setText(rsOptions);
    quickEditAction->setText(rsQuickEdit);
    printAction->setText(rsPrintScript);
    statusStripAction->setText(rsShowStatusBar);
    fasterButton->setToolTip(rsIncreaseSpeed);
    slowerButton->setToolTip(rsDecreaseSpeed);
    coarseFasterButton->setToolTip(rsCoarseFaster);
    coarseSlowerButton->setToolTip(rsCoarseSlower);
    pauseButton->setToolTip(rsPause);
    reverseButton->setToolTip(rsReverseDirection);
    resetButton->setToolTip(rsReset);
    previousButton->setToolTip(rsLoadPreviousScript);
    nextButton->setToolTip(rsLoadNextScript);
    helpButton->setToolTip(rsToggleHelp);
    aboutAction->setText(rsAbout);
    mirrorLeftToRightAction->setText(rsMirrorLeftToRight);
    mirrorTopToBottomAction->setText(rsMirrorTopToBottom);
}

void PrompterWindow::connectHandlers()
{
    connect(scrollTimer, &ScrollClock::ticks, this,
            [this](int count) { guarded([this, count] { onScrollTick(count); }); });
    connect(speedSlider, &QSlider::valueChanged, this,
            [this] { guarded([this] { onSpeedSliderChanged(); }); });
    // The step slider reports only the end of an interaction, not code's own changes.
    connect(stepSlider, &IncrementSlider::interactionFinished, this,
            [this] { guarded([this] { onStepSliderChanged(); }); });
    for (IncrementSlider *s : {speedSlider, stepSlider})
        connect(s, &IncrementSlider::released, this, [this] { page->focus(); });
    connect(page, &HtmlView::documentComplete, this,
            [this] { guarded([this] { onPageLoaded(); }); });
    connect(page, &HtmlView::keyDown, this, [this](int key, Qt::KeyboardModifiers shift) {
        guarded([this, key, shift] { onPageKey(key, shift); });
    });
    connect(page, &HtmlView::click, this,
            [this](Qt::MouseButton button) { guarded([this, button] { onPagePress(button); }); });
    connect(openAction, &QAction::triggered, this,
            [this] { guarded([this] { openSingleScript(); }); });
    connect(optionsAction, &QAction::triggered, this,
            [this] { guarded([this] { showOptions(); }); });
    connect(fontAction, &QAction::triggered, this, [this] { guarded([this] { chooseFont(); }); });
    connect(quickEditAction, &QAction::triggered, this,
            [this] { guarded([this] { quickEditScript(); }); });
    connect(printAction, &QAction::triggered, this, [this] { guarded([this] { printScript(); }); });
    connect(aboutAction, &QAction::triggered, this, [this] { guarded([this] { showAbout(); }); });
    for (QAction *mirror : {mirrorLeftToRightAction, mirrorTopToBottomAction})
        connect(mirror, &QAction::triggered, this, [this] { applyMirror(); });

    const auto hover = [this](PictureButton *b, int enter, int leave) {
        connect(b, &PictureButton::mouseEnter, this,
                [this, b, enter] { showButtonPicture(enter, b); });
        connect(b, &PictureButton::mouseLeave, this,
                [this, b, leave] { showButtonPicture(leave, b); });
    };
    hover(fasterButton, 1, 0);
    hover(slowerButton, 3, 2);
    hover(coarseFasterButton, 7, 6);
    hover(coarseSlowerButton, 5, 4);
    hover(pauseButton, 9, 8);
    hover(reverseButton, 11, 10);
    hover(resetButton, 13, 12);
    hover(previousButton, 15, 14);
    hover(nextButton, 17, 16);
    hover(helpButton, 21, 20);

    connectControlStrip();
}

void PrompterWindow::applyMirror()
{
    page->setMirrored(mirrorLeftToRightAction->isChecked(), mirrorTopToBottomAction->isChecked());
}

void PrompterWindow::guarded(const std::function<void()> &handler)
{
    runReported(handler, [this](const std::exception &error) { showError(error); });
}

void PrompterWindow::showError(const std::exception &error)
{
    reportError(m_dialogs, this, error);
}

void PrompterWindow::showButtonPicture(int index, PictureButton *image)
{
    image->setPixmap(m_buttonPictures.value(index));
}

int PrompterWindow::pixelsPerInch() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

void PrompterWindow::showEditedScript(const QStringList &lines)
{
    m_scriptLines = lines;
    rebuildPage();
}

void PrompterWindow::setPromptFont(const FontRecord &font)
{
    m_promptFont = font;
    rebuildPage();
}

void PrompterWindow::rebuildPage()
{
    const bool capitalize = m_options && m_options->capitalize();
    m_pageLines =
        buildScriptPage(m_scriptLines, m_scriptTitle,
                        {m_promptFont.Name, m_promptFont.size(pixelsPerInch())}, capitalize);
    page->loadPage(m_pageLines);
}
