#include "keycapturefield.h"

#include "latinkeys.h"

#include <QKeyEvent>

KeyCaptureField::KeyCaptureField(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setTextFormat(Qt::PlainText);
}

bool KeyCaptureField::event(QEvent *event)
{
    // Shortcuts and the dialog's own Escape and Return must not see the key first.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *press = static_cast<QKeyEvent *>(event);
        Q_EMIT captured(latinLetterKey(press->key(), press->text(), press->nativeScanCode()),
                        press->modifiers());
        event->accept();
        return true;
    }
    return QLabel::event(event);
}

bool KeyCaptureField::focusNextPrevChild(bool)
{
    return false;
}
