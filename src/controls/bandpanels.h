#pragma once

#include <QFrame>
#include <QList>
#include <QPixmap>

class IncrementSlider;
class QLabel;

// The band's left panel: the logo and the hint that the menu is a right click away.
class LogoPanel final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogoPanel)

public:
    explicit LogoPanel(QWidget *parent = nullptr);

    // The logo as it shows while the page stands still.
    void showPaused();

Q_SIGNALS:
    // A right click (or the menu key) anywhere on the panel.
    void menuRequested(const QPoint &globalPosition);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QPixmap> m_pictures;
    QLabel *logo = nullptr;
};

// The band's right column: the Speed slider over the Coarse slider, each under its caption.
class SliderColumn final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SliderColumn)

public:
    explicit SliderColumn(QWidget *parent = nullptr);

    IncrementSlider *speed() const { return speedSlider; }
    IncrementSlider *step() const { return stepSlider; }

private:
    IncrementSlider *speedSlider = nullptr;
    IncrementSlider *stepSlider = nullptr;
};
