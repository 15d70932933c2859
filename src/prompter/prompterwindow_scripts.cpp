// Scripts and the menu's commands: opening, pasting and dropping scripts, the
// options and queue window's result, queue stepping, quick edit, print, font,
// the online help, the mirror and the windows the menu opens.
#include "prompterwindow.h"

#include "aboutdialog.h"
#include "connectionprobe.h"
#include "htmlview.h"
#include "logomenu.h"
#include "optionsdialog.h"
#include "pagebuilder.h"
#include "quickeditdialog.h"
#include "remotewindow.h"
#include "scriptreader.h"
#include "showcontrol.h"
#include "statusstrip.h"
#include "storedfont.h"
#include "tavrixerror.h"
#include "textdecoder.h"
#include "textfile.h"
#include "texts.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QTextDocumentFragment>
#include <QUrl>

#include <algorithm>

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
    showScript(rsPastedText, scriptFromText(rsPastedText, text), false);
    pause();
    page->focus();
}

void PrompterWindow::openScripts(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    loadScript(paths.constFirst());
    if (paths.size() > 1 && m_windows.options) {
        m_windows.options->setQueueItems(paths);
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
    QList<qsizetype> headings;
    const QStringList lines = readScript(path, &loss, &headings);
    showScript(path, lines, loss.endsAtNul, headings);
}

void PrompterWindow::showScript(const QString &title, const QStringList &lines, bool endsAtNul,
                                const QList<qsizetype> &headings)
{
    m_show->setScript(lines, MarkerList::forScript(scriptKindFor(title), lines, headings));
    m_script.lines = lines;
    m_script.title = title;
    m_script.endsAtNul = endsAtNul;
    statusStrip->setScriptText(title);
    rebuildPage();
    Q_EMIT readoutChanged();
}

void PrompterWindow::showOptions()
{
    if (!m_windows.options)
        return;
    const int placement = m_windows.options->placementIndex();
    const QStringList queue = m_windows.options->queueItems();
    const int capitals = m_windows.options->capitalsIndex();
    m_windows.options->beginShowing();
    if (m_dialogs.execModal(m_windows.options) == QDialog::Accepted) {
        const QStringList items = m_windows.options->queueItems();
        if (!items.isEmpty()) {
            const int selected = m_windows.options->selectedIndex();
            const int i = selected < 0 ? 0 : selected;
            m_queuePosition = i;
            loadScript(items.at(i));
        }
        pause();
        if (m_windows.options->placementIndex() != placement)
            dockToScreenEdge();
        if (m_windows.options->capitalsIndex() != capitals)
            rebuildPage();
        page->focus();
    } else {
        // The window put both options back itself, before it stored them.
        m_windows.options->setQueueItems(queue);
    }
}

void PrompterWindow::previousQueueScript()
{
    if (!m_windows.options)
        return;
    const QStringList items = m_windows.options->queueItems();
    if (items.isEmpty() || m_queuePosition <= 0)
        return;
    m_queuePosition = std::min(m_queuePosition, int(items.size())) - 1;
    showQueueItem(items);
}

void PrompterWindow::nextQueueScript()
{
    if (!m_windows.options)
        return;
    const QStringList items = m_windows.options->queueItems();
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

void PrompterWindow::quickEditScript()
{
    if (m_windows.quickEdit) {
        // The proposed name is the last script opened alone; queue loads leave it.
        const QString proposed = plainTextFileFor(m_openState.fileName);
        const QString partial = m_script.endsAtNul ? m_script.title : QString();
        if (const auto lines = m_windows.quickEdit->edit(m_script.lines, proposed, partial))
            showEditedScript(*lines);
    }
    page->focus();
}

void PrompterWindow::printScript()
{
    page->print();
    page->focus();
}

void PrompterWindow::chooseFont()
{
    FontRecord font = m_promptFont;
    if (m_dialogs.chooseFont(this, font)) {
        // Only sizes the store can bring back, so the next start shows the same page.
        const int ppi = pixelsPerInch();
        const int points = font.size(ppi);
        if (points < kMinFontPoints || points > kMaxFontPoints)
            font.setSize(std::clamp(points, kMinFontPoints, kMaxFontPoints), ppi);
        setPromptFont(font);
    }
    rewindAndPause();
    page->focus();
}

void PrompterWindow::showAbout()
{
    if (m_windows.about)
        m_windows.about->showOver(this);
}

void PrompterWindow::showRemote()
{
    m_remote->show();
    m_remote->raise();
    m_remote->activateWindow();
}

void PrompterWindow::applyMirror()
{
    page->setMirrored(logoMenu->item(MenuItem::MirrorLeftToRight)->isChecked(),
                      logoMenu->item(MenuItem::MirrorTopToBottom)->isChecked());
}

int PrompterWindow::pixelsPerInch() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}

void PrompterWindow::showEditedScript(const QStringList &lines)
{
    // The editor writes plain text: its "# " lines are the markers now.
    m_show->setScript(lines, MarkerList::fromHashLines(lines));
    m_script.lines = lines;
    rebuildPage();
}

void PrompterWindow::setPromptFont(const FontRecord &font)
{
    m_promptFont = font;
    rebuildPage();
}

void PrompterWindow::rebuildPage()
{
    const bool capitalize = m_windows.options && m_windows.options->capitalize();
    m_script.pageLines =
        buildScriptPage(m_script.lines, m_script.title,
                        {m_promptFont.Name, m_promptFont.size(pixelsPerInch())}, capitalize);
    page->loadPage(m_script.pageLines, m_show->markedPageLines());
}

void PrompterWindow::toggleHelp()
{
    // The probe runs in the background; a press while it runs has nothing to add.
    if (connectionProbe->isRunning() || page->isFetching())
        return;
    if (m_help.shown) {
        rebuildPage();
        m_help.shown = false;
        return;
    }
    m_help.pressedOnPage = page->pageGeneration();
    connectionProbe->start();
}

void PrompterWindow::onProbeFinished(bool connected)
{
    // A script opened (or the page rebuilt) while the probe ran is newer than
    // the press: the answer no longer applies.
    if (page->pageGeneration() != m_help.pressedOnPage)
        return;
    if (connected) {
        page->navigate(rsHelpAddress);
        m_help.shown = true;
    } else {
        m_dialogs.message(this, rsNoInternet);
    }
}
