#pragma once

#include <QProxyStyle>

// The pop-up menu's flat look: pictures in a black column at the left, the
// item under the pointer framed in dark blue and filled light blue-grey.
class FlatMenuStyle final : public QProxyStyle
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlatMenuStyle)

public:
    static constexpr int kPictureColumn = 27;

    FlatMenuStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
};
