#include "bandpanels.h"

#include "artwork.h"
#include "colours.h"
#include "incrementslider.h"
#include "texts.h"

#include <QBoxLayout>
#include <QContextMenuEvent>
#include <QLabel>

using namespace texts;

namespace {

QLabel *label(QWidget *parent, const char *name, const QColor &colour)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setTextFormat(Qt::PlainText);
    setTextColour(l, colour);
    return l;
}

} // namespace

LogoPanel::LogoPanel(QWidget *parent) : QFrame(parent), m_pictures(makeImageList2())
{
    setObjectName(QStringLiteral("logoPanel"));
    setFrameShape(QFrame::NoFrame);
    setFixedWidth(100);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setFixedSize(100, 70);
    logo->setAlignment(Qt::AlignCenter);
    logo->setPixmap(makeLogo());
    column->addWidget(logo, 0, Qt::AlignLeft | Qt::AlignTop);
    column->addStretch(1);
    QLabel *menuHint = label(this, "menuHint", Qt::white);
    menuHint->setContentsMargins(3, 3, 3, 3);
    menuHint->setWordWrap(true);
    menuHint->setText(rsRightClickForMenu);
    column->addWidget(menuHint);
    for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(logo),
                       static_cast<QWidget *>(menuHint)}) {
        w->setContextMenuPolicy(Qt::DefaultContextMenu);
        w->installEventFilter(this);
    }
}

void LogoPanel::showPaused()
{
    logo->setPixmap(m_pictures.value(0));
}

bool LogoPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        Q_EMIT menuRequested(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

SliderColumn::SliderColumn(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("sliderColumn"));
    setFrameShape(QFrame::NoFrame);
    fillBackground(this, QColor(0x80, 0x80, 0x80));
    setFixedWidth(40);
    auto *sliders = new QVBoxLayout(this);
    sliders->setContentsMargins(3, 3, 3, 3);
    sliders->setSpacing(6);
    QLabel *speedCaption = label(this, "speedCaption", Qt::black);
    speedCaption->setFixedHeight(13);
    speedCaption->setText(rsSpeed);
    speedSlider = new IncrementSlider(Qt::Vertical, 10, this);
    speedSlider->setObjectName(QStringLiteral("speedSlider"));
    speedSlider->setRange(-300, 300);
    speedSlider->setValue(10);
    speedSlider->setFixedHeight(61);
    QLabel *stepCaption = label(this, "stepCaption", Qt::black);
    stepCaption->setFixedHeight(13);
    stepCaption->setText(rsCoarse);
    stepSlider = new IncrementSlider(Qt::Vertical, 3, this);
    stepSlider->setObjectName(QStringLiteral("stepSlider"));
    stepSlider->setRange(1, 10);
    stepSlider->setValue(1);
    stepSlider->setFixedHeight(48);
    for (QWidget *w : {static_cast<QWidget *>(speedCaption), static_cast<QWidget *>(speedSlider),
                       static_cast<QWidget *>(stepCaption), static_cast<QWidget *>(stepSlider)})
        sliders->addWidget(w, 0, Qt::AlignHCenter);
    sliders->addStretch(1);
}
