#pragma once

#include "operatoraction.h"
#include "readout.h"

#include <QFrame>
#include <QList>
#include <QPixmap>

class PictureButton;
class PromptTimer;
class QLabel;

// The strip below the band: the readout's labels above, the picture buttons
// and the help line below. It shows texts and tells which button the operator
// used; it knows nothing of the page.
class StatusStrip final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusStrip)

public:
    // `pictures` holds each button's picture and its picture under the pointer.
    explicit StatusStrip(const QList<QPixmap> &pictures, QWidget *parent = nullptr);

    void setSpeedText(const QString &text);
    void setStepText(const QString &text);
    void setScriptText(const QString &text);
    void setElapsedText(const QString &text);
    void setRemainingText(const QString &text);
    // Fills the readout's texts as the labels show them.
    void readTexts(Readout &readout) const;
    // Shows a hidden strip or hides a shown one; returns by how much the window
    // must grow (negative: shrink) to keep the band's own height.
    int toggleShown();

Q_SIGNALS:
    // A button was released over itself; the speed buttons' release also ends their repeat.
    void released(OperatorAction action);
    // Faster or Slower is held down: `repeated` follows, first after half a second.
    void repeatStarted();
    void repeated(OperatorAction action);
    void helpReleased();

private:
    PictureButton *addButton(QWidget *row, const char *name, int picture, int width,
                             OperatorAction action);
    void onRepeat();

    QList<QPixmap> m_pictures;
    QLabel *speedLabel = nullptr;
    QLabel *stepLabel = nullptr;
    QLabel *scriptLabel = nullptr;
    QLabel *elapsedLabel = nullptr;
    QLabel *remainingLabel = nullptr;
    PromptTimer *repeatTimer = nullptr;
    OperatorAction m_repeating = OperatorAction::Faster;
};
