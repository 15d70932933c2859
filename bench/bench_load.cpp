// Page build and load time by script size: from the script's lines to the
// view's document complete, as an operator opening a script waits for it.
#include "bench.h"

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
    for (const int lines : {1000, 10000, 100000}) {
        QStringList script;
        script.reserve(lines);
        for (int i = 0; i < lines; ++i)
            script.append(QStringLiteral("Line %1: and here is the news from the studio").arg(i));
        QElapsedTimer clock;
        clock.start();
        const QStringList page = buildScriptPage(script, QStringLiteral("/scripts/news.txt"),
                                                 {QStringLiteral("Arial"), 24}, false);
        const double build = double(clock.nsecsElapsed()) / 1e6;
        view.loadPage(page);
        view.waitUntilReady();
        view.scrollToBottom();
        const double total = double(clock.nsecsElapsed()) / 1e6;
        const std::string base = "load_" + std::to_string(lines) + "_lines";
        report((base + "_page_build").c_str(), build, "ms");
        report((base + "_to_document_complete").c_str(), total, "ms");
    }
}
