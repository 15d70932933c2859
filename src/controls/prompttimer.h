#pragma once

#include <QObject>
#include <QTimer>

// A periodic timer whose setters ignore unchanged values: setting the flag
// or the period it already has leaves the countdown alone; a real change
// restarts it, so a full period passes before the next tick.
class PromptTimer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PromptTimer)

public:
    explicit PromptTimer(unsigned interval, QObject *parent = nullptr);

    bool enabled() const { return m_enabled; }
    unsigned interval() const { return m_interval; }
    void setEnabled(bool enabled);
    void setInterval(unsigned interval);
    // Milliseconds until the next tick; -1 while off.
    int remainingTime() const { return m_timer.remainingTime(); }

Q_SIGNALS:
    void timeout();

private:
    void restart();

    QTimer m_timer;
    bool m_enabled = false;
    unsigned m_interval = 0;
};
