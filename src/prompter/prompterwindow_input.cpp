// Letter keys and mouse presses on the page.
#include "prompterwindow.h"

#include "htmlview.h"
#include "prompttimer.h"
#include "speedmodel.h"
#include "texts.h"

#include <QLabel>

using namespace texts;

void TForm1::wb1KeyDown(int key, Qt::KeyboardModifiers)
{
    switch (key) {
    case Qt::Key_Q:
        if (Timer1->enabled()) {
            dopause();
        } else {
            Timer1->setEnabled(true);
            Label1->setText(rsSpeed + QString::number(CurrentSpeed));
        }
        return;
    case Qt::Key_W:
        if (CurrentSpeed < kMaxSpeed)
            CurrentSpeed += kSpeedStep;
        adjustspeed();
        return;
    case Qt::Key_S:
        if (CurrentSpeed > -kMaxSpeed)
            CurrentSpeed -= kSpeedStep;
        adjustspeed();
        return;
    case Qt::Key_E:
        CurrentSpeed = -CurrentSpeed;
        adjustspeed();
        return;
    case Qt::Key_A:
        adjustspeed();
        prevscript();
        return;
    case Qt::Key_D:
        adjustspeed();
        nextscript();
        return;
    case Qt::Key_F:
        adjustspeed();
        doreset();
        wb1->focus();
        return;
    default:
        adjustspeed();
        return;
    }
}

void TForm1::wb1Click(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) {
        if (Timer1->enabled()) {
            Timer1->setEnabled(false);
            Label1->setText(rsPaused);
        } else {
            Timer1->setEnabled(true);
            Label1->setText(rsSpeed + QString::number(CurrentSpeed));
        }
    } else if (button == Qt::RightButton) {
        CurrentSpeed = -CurrentSpeed;
        adjustspeed();
    }
}
