// The menu's quick edit, print, font and about commands.
#include "prompterwindow.h"

#include "aboutdialog.h"
#include "htmlview.h"
#include "quickeditdialog.h"
#include "storedfont.h"
#include "textfile.h"

#include <algorithm>

void PrompterWindow::quickEditScript()
{
    if (m_quickEdit) {
        // The proposed name is the last script opened alone; queue loads leave it.
        const QString proposed = plainTextFileFor(m_openState.fileName);
        const QString partial = m_scriptEndsAtNul ? m_scriptTitle : QString();
        if (const auto lines = m_quickEdit->edit(m_scriptLines, proposed, partial))
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
    if (m_about)
        m_about->showOver(this);
}
