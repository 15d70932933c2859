#include "statusstrip.h"

#include "colours.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "texts.h"

#include <QBoxLayout>
#include <QLabel>

using namespace texts;

namespace {

// The first repeat comes after half a second, the others after this one.
constexpr unsigned kFirstRepeatMs = 500;
constexpr unsigned kRepeatMs = 50;

QLabel *label(QWidget *parent, const char *name, const QColor &colour)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    // Paths and texts are shown as they are, never read as markup.
    l->setTextFormat(Qt::PlainText);
    setTextColour(l, colour);
    return l;
}

QFrame *panel(QWidget *parent, const char *name)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

} // namespace

StatusStrip::StatusStrip(const QList<QPixmap> &pictures, QWidget *parent)
    : QFrame(parent), m_pictures(pictures)
{
    setObjectName(QStringLiteral("statusStrip"));
    setFrameShape(QFrame::NoFrame);
    setFixedHeight(52);
    repeatTimer = new PromptTimer(kFirstRepeatMs, this);
    repeatTimer->setObjectName(QStringLiteral("repeatTimer"));
    connect(repeatTimer, &PromptTimer::timeout, this, &StatusStrip::onRepeat);

    auto *strip = new QVBoxLayout(this);
    strip->setContentsMargins(0, 0, 0, 0);
    QFrame *stripRows = panel(this, "stripRows");
    strip->addWidget(stripRows);
    auto *rows = new QVBoxLayout(stripRows);
    rows->setContentsMargins(3, 3, 3, 3);
    rows->setSpacing(6);

    QFrame *statusRow = panel(stripRows, "statusRow");
    statusRow->setFrameStyle(QFrame::Panel | QFrame::Raised);
    statusRow->setLineWidth(1);
    statusRow->setFixedHeight(25);
    auto *upper = new QHBoxLayout(statusRow);
    upper->setContentsMargins(4, 1, 4, 1);
    upper->setSpacing(12);
    speedLabel = label(statusRow, "speedLabel", Qt::white);
    stepLabel = label(statusRow, "stepLabel", Qt::white);
    scriptLabel = label(statusRow, "scriptLabel", Qt::white);
    QLabel *versionLabel = label(statusRow, "versionLabel", Qt::white);
    versionLabel->setText(rsVersion);
    elapsedLabel = label(statusRow, "elapsedLabel", Qt::white);
    remainingLabel = label(statusRow, "remainingLabel", Qt::white);
    for (QLabel *l : {elapsedLabel, remainingLabel})
        fillBackground(l, Qt::black);
    for (QLabel *l : {speedLabel, stepLabel, scriptLabel, versionLabel})
        upper->addWidget(l);
    upper->addStretch(1);
    upper->addWidget(elapsedLabel);
    upper->addWidget(remainingLabel);
    rows->addWidget(statusRow);

    auto *lower = new QHBoxLayout;
    lower->setContentsMargins(0, 0, 0, 0);
    lower->setSpacing(6);
    rows->addLayout(lower);
    const struct
    {
        const char *name;
        int picture;
        int width;
        OperatorAction action;
        const QString &tip;
    } buttons[] = {
        {"fasterButton", 0, 20, OperatorAction::Faster, rsIncreaseSpeed},
        {"slowerButton", 2, 21, OperatorAction::Slower, rsDecreaseSpeed},
        {"coarseFasterButton", 6, 21, OperatorAction::CoarseFaster, rsCoarseFaster},
        {"coarseSlowerButton", 4, 21, OperatorAction::CoarseSlower, rsCoarseSlower},
        {"pauseButton", 8, 21, OperatorAction::Pause, rsPause},
        {"reverseButton", 10, 21, OperatorAction::Reverse, rsReverseDirection},
        {"resetButton", 12, 20, OperatorAction::Top, rsReset},
        {"previousButton", 14, 20, OperatorAction::Previous, rsLoadPreviousScript},
        {"nextButton", 16, 21, OperatorAction::Next, rsLoadNextScript},
    };
    for (const auto &b : buttons) {
        PictureButton *button = addButton(stripRows, b.name, b.picture, b.width, b.action);
        button->setToolTip(b.tip);
        lower->addWidget(button);
        // Held down, the speed buttons repeat their step.
        if (b.action == OperatorAction::Faster || b.action == OperatorAction::Slower) {
            connect(button, &PictureButton::mouseDown, this, [this, action = b.action] {
                m_repeating = action;
                repeatTimer->setInterval(kFirstRepeatMs);
                repeatTimer->setEnabled(true);
                Q_EMIT repeatStarted();
            });
        }
    }
    QLabel *separatorLabel = label(stripRows, "separatorLabel", Qt::white);
    separatorLabel->setText(rsSeparator);
    separatorLabel->setFixedHeight(15);
    lower->addWidget(separatorLabel);
    PictureButton *helpButton = addButton(stripRows, "helpButton", 20, 21, OperatorAction::Pause);
    helpButton->setToolTip(rsToggleHelp);
    lower->addWidget(helpButton);
    QLabel *helpLine = label(stripRows, "helpLine", QColor(0xC0, 0xC0, 0xC0));
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    helpLine->setFont(arial);
    helpLine->setAlignment(Qt::AlignCenter);
    helpLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    helpLine->setFixedHeight(15);
    helpLine->setText(rsHelpLine);
    lower->addWidget(helpLine, 1);
}

PictureButton *StatusStrip::addButton(QWidget *row, const char *name, int picture, int width,
                                      OperatorAction action)
{
    auto *b = new PictureButton(row);
    b->setObjectName(QLatin1String(name));
    b->setFixedSize(width, 15);
    b->setPixmap(m_pictures.value(picture));
    // Each picture's next one is the button under the pointer.
    connect(b, &PictureButton::mouseEnter, this,
            [this, b, picture] { b->setPixmap(m_pictures.value(picture + 1)); });
    connect(b, &PictureButton::mouseLeave, this,
            [this, b, picture] { b->setPixmap(m_pictures.value(picture)); });
    const bool help = qstrcmp(name, "helpButton") == 0;
    connect(b, &PictureButton::mouseUp, this, [this, action, help] {
        if (help) {
            Q_EMIT helpReleased();
            return;
        }
        if (action == OperatorAction::Faster || action == OperatorAction::Slower)
            repeatTimer->setEnabled(false);
        Q_EMIT released(action);
    });
    return b;
}

void StatusStrip::onRepeat()
{
    Q_EMIT repeated(m_repeating);
    // A release handled meanwhile has switched the timer off; it stays off.
    repeatTimer->setInterval(kRepeatMs);
}

void StatusStrip::setSpeedText(const QString &text)
{
    speedLabel->setText(text);
}

void StatusStrip::setStepText(const QString &text)
{
    stepLabel->setText(text);
}

void StatusStrip::setScriptText(const QString &text)
{
    scriptLabel->setText(text);
}

void StatusStrip::setElapsedText(const QString &text)
{
    elapsedLabel->setText(text);
}

void StatusStrip::setRemainingText(const QString &text)
{
    remainingLabel->setText(text);
}

void StatusStrip::readTexts(Readout &readout) const
{
    readout.speed = speedLabel->text();
    readout.coarse = stepLabel->text();
    readout.elapsed = elapsedLabel->text();
    readout.remaining = remainingLabel->text();
    readout.title = scriptLabel->text();
}

int StatusStrip::toggleShown()
{
    const bool show = isHidden();
    setVisible(show);
    return show ? height() : -height();
}
