// The operator's bound keys: from a key press on the band to the next paint of
// its speed label, and the band thread's wake-ups while idle with keys bound.
#include "bench.h"
#include "benchwindows.h"

#include "htmlview.h"
#include "keysdialog.h"
#include "prompterwindow.h"
#include "startup.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>

#include <vector>

TAVRIX_BENCH_CASE(keys)
{
    BenchDialogs dialogs;
    Windows windows = createWindows(dialogs);
    PrompterWindow &form = *windows.prompter;
    auto *page = control<HtmlView>(form, "page");
    form.show();
    page->waitUntilReady();
    form.showEditedScript(newsScript(2000));
    page->waitUntilReady();
    // Wake-ups of the band's thread over 3 s, paused: without keys bound and with them.
    const auto wakeups = [](const char *name) {
        qint64 wakes = 0;
        const auto counting = QObject::connect(QAbstractEventDispatcher::instance(),
                                               &QAbstractEventDispatcher::awake, [&] { ++wakes; });
        runEventLoop(3000);
        QObject::disconnect(counting);
        report(name, double(wakes) / 3.0, "per_s");
    };
    form.perform(OperatorAction::SetSpeed, 0);
    QCoreApplication::processEvents();
    wakeups("keys_idle_wakeups_none_bound");
    auto *keys = control<KeysDialog>(form, "keysDialog");
    KeyMap map;
    map.addPreset(KeyPreset::PresenterClicker);
    map.addPreset(KeyPreset::NumberKeys);
    keys->setKeyMap(map);
    keys->accept();
    QCoreApplication::processEvents();
    wakeups("keys_idle_wakeups_15_bound");

    // Page Down and Page Up (faster, slower) in turn, each posted as the
    // window system delivers it, to the speed label's next paint.
    PaintWatch watch(control<QLabel>(form, "speedLabel"));
    form.perform(OperatorAction::SetSpeed, 10);
    QCoreApplication::processEvents();
    std::vector<double> sample;
    for (int i = 0; i < 1000; ++i) {
        const qint64 before = watch.paints;
        QElapsedTimer clock;
        clock.start();
        const int key = i % 2 == 0 ? Qt::Key_PageDown : Qt::Key_PageUp;
        QCoreApplication::postEvent(page, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        while (watch.paints == before && clock.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (watch.paints == before)
            qFatal("the band did not repaint after bound key %d", i);
        sample.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    report("keys_bound_key_to_repaint_median", percentile(sample, 0.5), "ms");
    report("keys_bound_key_to_repaint_p99", percentile(sample, 0.99), "ms");
}
