// The scroll engine and the running time readout of the main window.
#include "prompterwindow.h"

#include "htmlview.h"
#include "prompttimer.h"
#include "speedmodel.h"
#include "texts.h"
#include "timeformat.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSlider>

using namespace texts;

void TForm1::adjustspeed()
{
    CurrentSpeed = clampSpeed(CurrentSpeed);
    Timer1->setEnabled(CurrentSpeed != 0);
    Timer1->setInterval(periodForSpeed(CurrentSpeed));
    ScrollForward = CurrentSpeed > 0;
    Label1->setText(Timer1->enabled() ? rsSpeed + QString::number(CurrentSpeed) : rsPaused);
    // Runs slideraChange, nested, when the slider's value changes.
    slidera->setValue(CurrentSpeed);
    coarselabel->setText(rsCoarse + QString::number(speedmod->value()));
    QCoreApplication::processEvents();
}

void TForm1::slideraChange()
{
    CurrentSpeed = slidera->value();
    Label1->setText(rsSpeed + QString::number(CurrentSpeed));
    Timer1->setInterval(periodForSpeed(CurrentSpeed));
    Label1->repaint();
    ScrollForward = CurrentSpeed > 0;
    if (CurrentSpeed == 0)
        dopause();
    else
        Timer1->setEnabled(true);
    wb1->focus();
}

void TForm1::dopause()
{
    Label1->setText(rsPaused);
    Timer1->setEnabled(false);
    Image1->setPixmap(ImageList2.value(0));
}

void TForm1::doreset()
{
    wb1->scrollToTop();
    dopause();
}

void TForm1::Timer1Timer()
{
    const int p = wb1->scrollPosition();
    const int step = speedmod->value();
    wb1->scrollTo(0, ScrollForward ? p + step : p - step);
    calctime(QStringLiteral("timeleft"));
    calctime(QStringLiteral("timespent"));
}

void TForm1::speedmodChanged()
{
    adjustspeed();
    wb1->focus();
}

void TForm1::wb1DocumentComplete()
{
    wb1->scrollToBottom();
    DocumentLength = wb1->scrollPosition();
    if (CurrentSpeed != 0)
        calctime(QStringLiteral("timeleft"));
    wb1->scrollToTop();
}

void TForm1::calctime(const QString &selector)
{
    const unsigned period = Timer1->interval();
    const int step = speedmod->value();
    if (selector == QLatin1String("timespent")) {
        const int p = wb1->scrollPosition();
        timespentlabel->setText(rsElapsed + formatDuration(elapsedMilliseconds(p, step, period)));
    } else if (selector == QLatin1String("timeleft")) {
        const int p = wb1->scrollPosition();
        timeleftlabel->setText(
            rsRemaining + formatDuration(remainingMilliseconds(DocumentLength, p, step, period)));
    }
}
