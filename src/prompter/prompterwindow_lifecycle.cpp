// Start-up, docking against the task bar, and shutdown of the prompter window.
#include "prompterwindow.h"

#include "aboutdialog.h"
#include "docking.h"
#include "htmlview.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "prompterwindow.h"
#include "quickeditdialog.h"
#include "tavrixerror.h"
#include "texts.h"
#include "windowsettings.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSlider>

using namespace texts;

void TForm1::FormCreate()
{
    assignTexts();
    guarded([this] { JvFormStorage1->restore(); });
    wbpanel->setVisible(true);
    HelpShown = false;
    ScriptLines.clear();
    PageLines.clear();
    PageLines = buildStartupPage({FontDialog1Font.Name, FontDialog1Font.size(pixelsPerInch())});
    wb1->loadPage(PageLines);
    Label4->setText(rsNoScript);
    Label1->setText(rsPaused);
    Label6->setText(rsVersion);
    coarselabel->setText(rsCoarse + QString::number(speedmod->value()));
    guarded([this] { setform(); });
}

void TForm1::FormShow()
{
    setform();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        guarded([this] { FormShow(); });
}

void TForm1::setform()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        throw TavrixError(rsNoPrimaryScreen);
    const QRect geometry = screen->geometry();
    const QPoint origin = geometry.topLeft();
    const TaskBar bar = taskBarFromScreen(geometry.translated(-origin),
                                          screen->availableGeometry().translated(-origin));
    const bool alignBottom = Form4 && Form4->alignBottom();
    // Outer bounds: the frame the window manager adds is part of them.
    const QRect frame = frameGeometry();
    const QRect client = this->geometry();
    const QRect outer =
        dockedPlacement(geometry.width(), geometry.height(), bar, alignBottom, frame.height());
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    setGeometry(outer.translated(origin).marginsRemoved(margins));
}

void TForm1::closeEvent(QCloseEvent *event)
{
    guarded([this] { FormClose(); });
    event->accept();
}

void TForm1::FormClose()
{
    if (Form4)
        Form4->ListBox1->clear();
    JvFormStorage1->save();
}
