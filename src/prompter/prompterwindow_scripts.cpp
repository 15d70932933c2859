// Opening scripts, the options and queue window's result, and queue stepping.
#include "prompterwindow.h"

#include "htmlview.h"
#include "optionsdialog.h"
#include "radiogroup.h"
#include "scriptreader.h"
#include "texts.h"

#include <QDialog>
#include <QLabel>

using namespace texts;

void TForm1::OpenSimplescript1Click()
{
    OpenDialog1.filter = rsScriptFilter;
    if (!m_dialogs.openFile(this, OpenDialog1))
        return;
    loadScript(OpenDialog1.fileName);
    dopause();
    wb1->focus();
}

void TForm1::loadScript(const QString &path)
{
    ScriptLines = readScript(path);
    ScriptTitle = path;
    Label4->setText(path);
    reloadwb();
}

void TForm1::Options2Click()
{
    if (!Form4)
        return;
    const int placement = Form4->mainformlocation->itemIndex();
    const QStringList queue = Form4->queueItems();
    const int capitals = Form4->allcaps->itemIndex();
    Form4->beginShowing(placement, capitals);
    if (m_dialogs.execModal(Form4) == QDialog::Accepted) {
        const QStringList items = Form4->queueItems();
        if (!items.isEmpty()) {
            const int selected = Form4->selectedIndex();
            const int i = selected < 0 ? 0 : selected;
            QueuePosition = i;
            loadScript(items.at(i));
        }
        dopause();
        if (Form4->mainformlocation->itemIndex() != placement)
            setform();
        if (Form4->allcaps->itemIndex() != capitals)
            reloadwb();
        wb1->focus();
    } else {
        // The window put both options back itself, before it stored them.
        Form4->setQueueItems(queue);
    }
}

void TForm1::prevscript()
{
    if (!Form4)
        return;
    const QStringList items = Form4->queueItems();
    if (items.isEmpty() || QueuePosition <= 0)
        return;
    QueuePosition = std::min(QueuePosition, int(items.size())) - 1;
    showQueueItem(items);
}

void TForm1::nextscript()
{
    if (!Form4)
        return;
    const QStringList items = Form4->queueItems();
    if (items.isEmpty() || QueuePosition >= items.size() - 1)
        return;
    QueuePosition = std::max(QueuePosition, -1) + 1;
    showQueueItem(items);
}

void TForm1::showQueueItem(const QStringList &items)
{
    loadScript(items.at(QueuePosition));
    dopause();
    wb1->focus();
}
