#include "colours.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QWidget>

void fillBackground(QWidget *widget, const QColor &colour)
{
    widget->setAutoFillBackground(true);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

QFrame *namedPanel(QWidget *parent, const char *name)
{
    auto *frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

QLabel *plainLabel(QWidget *parent, const char *name, const QColor &colour)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    setTextColour(label, colour);
    return label;
}
