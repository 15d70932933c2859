#pragma once

#include <QLabel>

// Takes the next key pressed while it has the focus, Tab, Escape and Return
// included (a clicker sends Escape), and reports it instead of acting on it.
// A modifier pressed alone waits for the key it goes with.
class KeyCaptureField final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyCaptureField)

public:
    explicit KeyCaptureField(QWidget *parent = nullptr);

Q_SIGNALS:
    // `key` as the band reads it: a letter of a non-Latin layout by its place.
    void captured(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
};
