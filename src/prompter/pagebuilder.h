#pragma once

#include <QStringList>

// The fixed head and tail of every prompter page (the window's `Header` and
// `footer` memos).
const QStringList &pageHeaderLines();
const QStringList &pageFooterLines();

struct PageFont
{
    QString name;
    int size = 24;
};

// The page for a script: head (title replaced), font-family, font-size, tail,
// <body>, one line per script line ended by <br>, eleven breaks, closing line.
// Script lines go in verbatim, markup included.
QStringList buildScriptPage(const QStringList &scriptLines, const QString &title,
                            const PageFont &font, bool capitalize);

// The index in buildScriptPage's page of script line `line`.
qsizetype scriptPageLine(qsizetype line);

// The empty page shown at start-up: head, font-size, font-family, tail, closing line.
QStringList buildStartupPage(const PageFont &font);
