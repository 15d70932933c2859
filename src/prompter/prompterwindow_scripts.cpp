// Opening scripts, the options and queue window's result, and queue stepping.
#include "prompterwindow.h"

#include "htmlview.h"
#include "optionsdialog.h"
#include "scriptreader.h"
#include "texts.h"

#include "tavrixerror.h"
#include "textdecoder.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTextDocumentFragment>
#include <QUrl>

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

void PrompterWindow::createScriptImport()
{
    logoMenu->addSeparator();
    pasteAction = logoMenu->addAction(rsPaste);
    pasteAction->setObjectName(QStringLiteral("pasteAction"));
    connect(pasteAction, &QAction::triggered, this, [this] { guarded([this] { pasteScript(); }); });
    setAcceptDrops(true);
}

void PrompterWindow::pasteScript()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QString text;
    if (data && data->hasText())
        text = data->text();
    else if (data && data->hasHtml()) // its text, never its markup
        text = QTextDocumentFragment::fromHtml(data->html()).toPlainText();
    if (text.trimmed().isEmpty())
        throw TavrixError(rsClipboardHasNoText);
    m_scriptLines = scriptFromText(rsPastedText, text);
    m_scriptTitle = rsPastedText;
    m_scriptEndsAtNul = false;
    scriptLabel->setText(rsPastedText);
    rebuildPage();
    Q_EMIT readoutChanged();
    pause();
    page->focus();
}

void PrompterWindow::openScripts(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    loadScript(paths.constFirst());
    if (paths.size() > 1 && m_options) {
        m_options->setQueueItems(paths);
        m_queuePosition = 0;
    }
    pause();
    page->focus();
}

void PrompterWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void PrompterWindow::dropEvent(QDropEvent *event)
{
    event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    guarded([this, urls] {
        QStringList paths;
        for (const QUrl &url : urls) {
            if (!url.isLocalFile())
                throw TavrixError(rsNotALocalFile.arg(url.toDisplayString()));
            paths.append(url.toLocalFile());
        }
        openScripts(paths);
    });
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
