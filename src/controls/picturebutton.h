#pragma once

#include <QLabel>

// A small picture with a tooltip that reports pointer enter and leave, press
// and release, like the status strip's buttons need.
class PictureButton final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(QWidget *parent = nullptr);

Q_SIGNALS:
    void mouseEnter();
    void mouseLeave();
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A label that reports the release of any mouse button on it.
class ClickLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClickLabel)

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void mouseUp(Qt::MouseButton button);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
