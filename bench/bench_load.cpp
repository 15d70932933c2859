// Page build and load time by script size: from the script's lines to the
// view's document complete, as an operator opening a script waits for it.
#include "bench.h"
#include "benchwindows.h"

#include "htmlview.h"
#include "pagebuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <string>

TAVRIX_BENCH_CASE(load)
{
    HtmlView view;
    view.resize(1720, 190);
    view.show();
    struct Size
    {
        int lines;
        int repeat; // of the 37-character sentence in each line
    };
    for (const Size size : {Size{1000, 1}, Size{10000, 1}, Size{100000, 1}, Size{10000, 10}}) {
        const int lines = size.lines;
        const QStringList script = newsScript(lines, size.repeat);
        QElapsedTimer clock;
        clock.start();
        const QStringList page = buildScriptPage(script, QStringLiteral("/scripts/news.txt"),
                                                 {QStringLiteral("Arial"), 24}, false);
        const double build = double(clock.nsecsElapsed()) / 1e6;
        view.loadPage(page);
        view.waitUntilReady();
        view.scrollToBottom();
        const double total = double(clock.nsecsElapsed()) / 1e6;
        const std::string base =
            "load_" + std::to_string(lines) + "_lines" +
            (size.repeat > 1
                 ? "_of_" + std::to_string(qsizetype(script.constFirst().size())) + "_characters"
                 : std::string());
        report((base + "_page_build").c_str(), build, "ms");
        report((base + "_to_document_complete").c_str(), total, "ms");
    }
}

// A script of one very long line, with and without blanks: the engine's line
// breaking must not make the operator wait for it.
TAVRIX_BENCH_CASE(load_long_line)
{
    HtmlView view;
    view.resize(1720, 190);
    view.show();
    // TAVRIX_BENCH_LONG_LINE=N measures one line of N characters only.
    const qsizetype only = qEnvironmentVariableIntValue("TAVRIX_BENCH_LONG_LINE");
    const QList<qsizetype> lengths =
        only > 0 ? QList<qsizetype>{only} : QList<qsizetype>{1000000, 7500000};
    for (const qsizetype length : lengths) {
        for (const bool blanks : {true, false}) {
            const QString unit = blanks ? QStringLiteral("and here is the news from the studio ")
                                        : QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
            const QString line = unit.repeated(length / unit.size() + 1).left(length);
            QElapsedTimer clock;
            clock.start();
            const QStringList page = buildScriptPage({line}, QStringLiteral("/scripts/news.txt"),
                                                     {QStringLiteral("Arial"), 24}, false);
            view.loadPage(page);
            view.waitUntilReady();
            view.scrollToBottom();
            const double total = double(clock.nsecsElapsed()) / 1e6;
            const std::string name = "load_1_line_of_" + std::to_string(length) +
                                     (blanks ? "_characters" : "_characters_without_blanks") +
                                     "_to_document_complete";
            report(name.c_str(), total, "ms");
        }
    }
}
