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
#include <QKeyEvent>
#include <QLabel>

TAVRIX_BENCH_CASE(keys)
{
    ShownPrompter shown;
    PrompterWindow &form = shown.form;
    HtmlView *page = shown.page;
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
    reportActionToRepaint("keys_bound_key_to_repaint", watch, [page](bool faster) {
        const int key = faster ? Qt::Key_PageDown : Qt::Key_PageUp;
        QCoreApplication::postEvent(page, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    });
}
