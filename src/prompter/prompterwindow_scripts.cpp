// Opening scripts, the options and queue window's result, and queue stepping.
#include "prompterwindow.h"

#include "htmlview.h"
#include "optionsdialog.h"
#include "scriptreader.h"
#include "texts.h"

#include <QDialog>
#include <QLabel>

using namespace texts;

void PrompterWindow::openSingleScript()
{
    m_openState.filter = rsScriptFilter;
    if (!m_dialogs.openFile(this, m_openState))
        return;
    loadScript(m_openState.fileName);
    pause();
    page->focus();
}

void PrompterWindow::loadScript(const QString &path)
{
    ReadLoss loss;
    m_scriptLines = readScript(path, &loss);
    m_scriptTitle = path;
    m_scriptEndsAtNul = loss.endsAtNul;
    scriptLabel->setText(path);
    rebuildPage();
    Q_EMIT readoutChanged();
}

void PrompterWindow::showOptions()
{
    if (!m_options)
        return;
    const int placement = m_options->placementIndex();
    const QStringList queue = m_options->queueItems();
    const int capitals = m_options->capitalsIndex();
    m_options->beginShowing();
    if (m_dialogs.execModal(m_options) == QDialog::Accepted) {
        const QStringList items = m_options->queueItems();
        if (!items.isEmpty()) {
            const int selected = m_options->selectedIndex();
            const int i = selected < 0 ? 0 : selected;
            m_queuePosition = i;
            loadScript(items.at(i));
        }
        pause();
        if (m_options->placementIndex() != placement)
            dockToScreenEdge();
        if (m_options->capitalsIndex() != capitals)
            rebuildPage();
        page->focus();
    } else {
        // The window put both options back itself, before it stored them.
        m_options->setQueueItems(queue);
    }
}

void PrompterWindow::previousQueueScript()
{
    if (!m_options)
        return;
    const QStringList items = m_options->queueItems();
    if (items.isEmpty() || m_queuePosition <= 0)
        return;
    m_queuePosition = std::min(m_queuePosition, int(items.size())) - 1;
    showQueueItem(items);
}

void PrompterWindow::nextQueueScript()
{
    if (!m_options)
        return;
    const QStringList items = m_options->queueItems();
    if (items.isEmpty() || m_queuePosition >= items.size() - 1)
        return;
    m_queuePosition = std::max(m_queuePosition, -1) + 1;
    showQueueItem(items);
}

void PrompterWindow::showQueueItem(const QStringList &items)
{
    loadScript(items.at(m_queuePosition));
    pause();
    page->focus();
}
