#include "prompterwindow.h"

#include "application.h"
#include "artwork.h"
#include "flatmenustyle.h"
#include "htmlview.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "registrystore.h"
#include "tavrixerror.h"
#include "texts.h"
#include "windowsettings.h"

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

QFont tahoma()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

QFrame *panel(QWidget *parent, const QColor &colour = QColor())
{
    auto *frame = new QFrame(parent);
    frame->setFrameShape(QFrame::NoFrame);
    if (colour.isValid()) {
        frame->setAutoFillBackground(true);
        QPalette pal = frame->palette();
        pal.setColor(QPalette::Window, colour);
        frame->setPalette(pal);
    }
    return frame;
}

QLabel *label(QWidget *parent, const QColor &colour)
{
    auto *l = new QLabel(parent);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    return l;
}

} // namespace

TForm1::TForm1(Dialogs &dialogs, QWidget *parent) : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(rsAppTitle);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFont(tahoma());
    resize(737, 356);
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->setExceptionHook([this](const std::exception &e) { ApplicationEvents1Exception(e); });
    Timer1 = new PromptTimer(300, this);
    mousedowntimer = new PromptTimer(500, this);
    ImageList1 = makeImageList1();
    ImageList2 = makeImageList2();
    createControls();
    createMenu();
    connectHandlers();
    createSettings();
    FormCreate();
}

void TForm1::createSettings()
{
    JvAppRegistryStorage1 =
        std::make_unique<RegistryStore>(QStringLiteral("software\\morvane\\tavrix"));
    JvFormStorage1 = std::make_unique<WindowSettings>(
        this, QStringLiteral("Form1"), *JvAppRegistryStorage1,
        WindowSettings::RememberSize | WindowSettings::RememberPosition,
        [this](const std::exception &error) { ApplicationEvents1Exception(error); });
    JvFormStorage1->addFont(
        QStringLiteral("FontDialog1_Font"), [this] { return FontDialog1Font; },
        [this](const FontRecord &font) {
            const QString name = FontDialog1Font.Name;
            FontDialog1Font = font;
            if (FontDialog1Font.Name.isEmpty())
                FontDialog1Font.Name = name;
        });
    JvFormStorage1->addInteger(
        QStringLiteral("speedmod_Value"), [this] { return speedmod->value(); },
        [this](int value) { speedmod->setValue(std::clamp(value, 1, 10)); });
    JvFormStorage1->addInteger(
        QStringLiteral("Timer1_Interval"), [this] { return int(Timer1->interval()); },
        [this](int value) { Timer1->setInterval(unsigned(value)); });
}

TForm1::~TForm1()
{
    if (auto *app = qobject_cast<Application *>(QCoreApplication::instance()))
        app->setExceptionHook({});
}

void TForm1::setDialogs(TForm2 *form2, TForm4 *form4, Taboutform *about)
{
    Form2 = form2;
    Form4 = form4;
    aboutform = about;
}

void TForm1::createControls()
{
    auto *root = new QVBoxLayout(this);
    // The band takes whatever width the screen has; the help line clips.
    root->setSizeConstraint(QLayout::SetNoConstraint);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    Panel1 = panel(this);
    auto *middle = new QHBoxLayout(Panel1);
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);

    Panel2 = panel(Panel1);
    Panel2->setFixedWidth(100);
    auto *logoColumn = new QVBoxLayout(Panel2);
    logoColumn->setContentsMargins(0, 0, 0, 0);
    logoColumn->setSpacing(0);
    Image1 = new QLabel(Panel2);
    Image1->setFixedSize(100, 70);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(makeLogo());
    logoColumn->addWidget(Image1, 0, Qt::AlignLeft | Qt::AlignTop);
    logoColumn->addStretch(1);
    Label2 = label(Panel2, Qt::white);
    Label2->setContentsMargins(3, 3, 3, 3);
    Label2->setWordWrap(true);
    logoColumn->addWidget(Label2);
    middle->addWidget(Panel2);

    wbpanel = panel(Panel1);
    auto *viewArea = new QHBoxLayout(wbpanel);
    viewArea->setContentsMargins(0, 0, 0, 0);
    viewArea->setSpacing(0);
    Panel4 = panel(wbpanel);
    auto *viewBox = new QVBoxLayout(Panel4);
    viewBox->setContentsMargins(0, 0, 0, 0);
    wb1 = new HtmlView(Panel4);
    wb1->setPrintHook([this](QTextDocument *document) { m_dialogs.printPreview(this, document); });
    viewBox->addWidget(wb1);
    viewArea->addWidget(Panel4, 1);

    Panel3 = panel(wbpanel, QColor(0x80, 0x80, 0x80));
    Panel3->setFixedWidth(40);
    auto *sliders = new QVBoxLayout(Panel3);
    sliders->setContentsMargins(3, 3, 3, 3);
    sliders->setSpacing(6);
    Label12 = label(Panel3, Qt::black);
    Label12->setFixedHeight(13);
    slidera = new QSlider(Qt::Vertical, Panel3);
    slidera->setRange(-300, 300);
    slidera->setSingleStep(10);
    slidera->setPageStep(10);
    slidera->setValue(10);
    slidera->setFixedHeight(61);
    Label11 = label(Panel3, Qt::black);
    Label11->setFixedHeight(13);
    speedmod = new QSlider(Qt::Vertical, Panel3);
    speedmod->setRange(1, 10);
    speedmod->setSingleStep(3);
    speedmod->setPageStep(3);
    speedmod->setValue(1);
    speedmod->setFixedHeight(48);
    for (QWidget *w : {static_cast<QWidget *>(Label12), static_cast<QWidget *>(slidera),
                       static_cast<QWidget *>(Label11), static_cast<QWidget *>(speedmod)})
        sliders->addWidget(w, 0, Qt::AlignHCenter);
    sliders->addStretch(1);
    viewArea->addWidget(Panel3);
    middle->addWidget(wbpanel, 1);
    root->addWidget(Panel1, 1);

    statusbar = panel(this);
    statusbar->setFixedHeight(52);
    auto *strip = new QVBoxLayout(statusbar);
    strip->setContentsMargins(0, 0, 0, 0);
    Panel5 = panel(statusbar);
    strip->addWidget(Panel5);
    auto *rows = new QVBoxLayout(Panel5);
    rows->setContentsMargins(3, 3, 3, 3);
    rows->setSpacing(6);

    Panel6 = panel(Panel5);
    Panel6->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel6->setLineWidth(1);
    Panel6->setFixedHeight(25);
    auto *upper = new QHBoxLayout(Panel6);
    upper->setContentsMargins(4, 1, 4, 1);
    upper->setSpacing(12);
    Label1 = label(Panel6, Qt::white);
    coarselabel = label(Panel6, Qt::white);
    Label4 = label(Panel6, Qt::white);
    Label6 = label(Panel6, Qt::white);
    timespentlabel = label(Panel6, Qt::white);
    timeleftlabel = label(Panel6, Qt::white);
    for (QLabel *l : {timespentlabel, timeleftlabel}) {
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Qt::black);
        l->setPalette(p);
    }
    upper->addWidget(Label1);
    upper->addWidget(coarselabel);
    upper->addWidget(Label4);
    upper->addWidget(Label6);
    upper->addStretch(1);
    upper->addWidget(timespentlabel);
    upper->addWidget(timeleftlabel);
    rows->addWidget(Panel6);

    auto *lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(6);
    const auto button = [this, lower](int width, int startPicture) {
        auto *b = new PictureButton(Panel5);
        b->setFixedSize(width, 15);
        b->setPixmap(ImageList1.value(startPicture));
        lower->addWidget(b);
        return b;
    };
    Image4 = button(20, 0);
    Image12 = button(21, 2);
    Image10 = button(21, 6);
    Image11 = button(21, 4);
    Image9 = button(21, 8);
    Image8 = button(21, 10);
    Image7 = button(20, 12);
    Image6 = button(20, 14);
    Image5 = button(21, 16);
    Label7 = label(Panel5, Qt::white);
    Label7->setFixedHeight(15);
    lower->addWidget(Label7);
    Image13 = button(21, 20);
    Label5 = label(Panel5, QColor(0xC0, 0xC0, 0xC0));
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    Label5->setFont(arial);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    Label5->setFixedHeight(15);
    lower->addWidget(Label5, 1);
    rows->addLayout(lower);
    root->addWidget(statusbar);
}

void TForm1::createMenu()
{
    m_menuStyle = std::make_unique<FlatMenuStyle>();
    JvPopupMenu1 = new QMenu(this);
    JvPopupMenu1->setStyle(m_menuStyle.get());
    const auto item = [this](int picture) {
        auto *action = JvPopupMenu1->addAction(QString());
        if (picture >= 0)
            action->setIcon(QIcon(ImageList1.value(picture)));
        return action;
    };
    OpenSimplescript1 = item(22);
    Font2 = item(23);
    JvPopupMenu1->addSeparator();
    Options2 = item(26);
    JvPopupMenu1->addSeparator();
    EditScript2 = item(25);
    PrintScript2 = item(24);
    JvPopupMenu1->addSeparator();
    Showstatusbar1 = item(-1);
    Showstatusbar1->setCheckable(true);
    Showstatusbar1->setChecked(true);
    JvPopupMenu1->addSeparator();
    About1 = item(27);
    for (QWidget *w : {static_cast<QWidget *>(Panel2), static_cast<QWidget *>(Image1),
                       static_cast<QWidget *>(Label2)}) {
        w->setContextMenuPolicy(Qt::DefaultContextMenu);
        w->installEventFilter(this);
    }
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu &&
        (watched == Panel2 || watched == Image1 || watched == Label2)) {
        JvPopupMenu1->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::assignTexts()
{
    Label5->setText(rsHelpLine);
    Label2->setText(rsRightClickForMenu);
    Label12->setText(rsSpeed);
    Label11->setText(rsCoarse);
    Label7->setText(rsSeparator);
    OpenSimplescript1->setText(rsOpenSingleScript);
    Font2->setText(rsFont);
    Options2->setText(rsOptions);
    EditScript2->setText(rsQuickEdit);
    PrintScript2->setText(rsPrintScript);
    Showstatusbar1->setText(rsShowStatusBar);
    Image4->setToolTip(rsIncreaseSpeed);
    Image12->setToolTip(rsDecreaseSpeed);
    Image10->setToolTip(rsCoarseFaster);
    Image11->setToolTip(rsCoarseSlower);
    Image9->setToolTip(rsPause);
    Image8->setToolTip(rsReverseDirection);
    Image7->setToolTip(rsReset);
    Image6->setToolTip(rsLoadPreviousScript);
    Image5->setToolTip(rsLoadNextScript);
    Image13->setToolTip(rsToggleHelp);
    About1->setText(rsAbout);
}

void TForm1::connectHandlers()
{
    connect(Timer1, &PromptTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    connect(slidera, &QSlider::valueChanged, this,
            [this] { guarded([this] { slideraChange(); }); });
    // The step slider reports only the end of an interaction, not code's own changes.
    connect(speedmod, &QSlider::sliderReleased, this,
            [this] { guarded([this] { speedmodChanged(); }); });
    connect(speedmod, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && !speedmod->isSliderDown())
            QMetaObject::invokeMethod(
                this, [this] { guarded([this] { speedmodChanged(); }); }, Qt::QueuedConnection);
    });
    for (QSlider *s : {slidera, speedmod})
        connect(s, &QSlider::sliderReleased, this, [this] { wb1->focus(); });
    connect(wb1, &HtmlView::documentComplete, this,
            [this] { guarded([this] { wb1DocumentComplete(); }); });
    connect(wb1, &HtmlView::keyDown, this, [this](int key, Qt::KeyboardModifiers shift) {
        guarded([this, key, shift] { wb1KeyDown(key, shift); });
    });
    connect(wb1, &HtmlView::click, this,
            [this](Qt::MouseButton button) { guarded([this, button] { wb1Click(button); }); });
    connect(OpenSimplescript1, &QAction::triggered, this,
            [this] { guarded([this] { OpenSimplescript1Click(); }); });
    connect(Options2, &QAction::triggered, this, [this] { guarded([this] { Options2Click(); }); });

    const auto hover = [this](PictureButton *b, int enter, int leave) {
        connect(b, &PictureButton::mouseEnter, this, [this, b, enter] { mouseover(enter, b); });
        connect(b, &PictureButton::mouseLeave, this, [this, b, leave] { mouseover(leave, b); });
    };
    hover(Image4, 1, 0);
    hover(Image12, 3, 2);
    hover(Image10, 7, 6);
    hover(Image11, 5, 4);
    hover(Image9, 9, 8);
    hover(Image8, 11, 10);
    hover(Image7, 13, 12);
    hover(Image6, 15, 14);
    hover(Image5, 17, 16);
    hover(Image13, 21, 20);
}

void TForm1::guarded(const std::function<void()> &handler)
{
    runReported(handler,
                [this](const std::exception &error) { ApplicationEvents1Exception(error); });
}

void TForm1::ApplicationEvents1Exception(const std::exception &error)
{
    reportError(m_dialogs, this, error);
}

void TForm1::mouseover(int index, PictureButton *image)
{
    image->setPixmap(ImageList1.value(index));
}

int TForm1::pixelsPerInch() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

void TForm1::reloadwb()
{
    const bool capitalize = Form4 && Form4->capitalize();
    PageLines =
        buildScriptPage(ScriptLines, ScriptTitle,
                        {FontDialog1Font.Name, FontDialog1Font.size(pixelsPerInch())}, capitalize);
    wb1->loadPage(PageLines);
}
