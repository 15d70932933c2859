#include "picturebutton.h"

#include <QMouseEvent>

PictureButton::PictureButton(QWidget *parent) : QLabel(parent)
{
    setAttribute(Qt::WA_Hover);
    setAlignment(Qt::AlignCenter);
}

void PictureButton::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    Q_EMIT mouseEnter();
}

void PictureButton::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    Q_EMIT mouseLeave();
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT mouseDown(event->button());
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT mouseUp(event->button());
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT mouseUp(event->button());
}
