#include "flatmenustyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {
const QColor kHoverFrame(0x0A, 0x24, 0x6A);
const QColor kHoverFill(0xB6, 0xBD, 0xD2);
const QColor kMenuBack(0xF4, 0xF4, 0xF4);
} // namespace

FlatMenuStyle::FlatMenuStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void FlatMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                  QPainter *painter, const QWidget *widget) const
{
    if (element == PE_PanelMenu || element == PE_FrameMenu) {
        painter->fillRect(option->rect, kMenuBack);
        QRect column = option->rect;
        column.setWidth(kPictureColumn);
        painter->fillRect(column, Qt::black);
        painter->setPen(QColor(0x80, 0x80, 0x80));
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FlatMenuStyle::drawControl(ControlElement element, const QStyleOption *option,
                                QPainter *painter, const QWidget *widget) const
{
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element != CE_MenuItem || !item) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QRect r = item->rect;
    QRect column(r.left(), r.top(), kPictureColumn, r.height());
    painter->fillRect(r, kMenuBack);
    painter->fillRect(column, Qt::black);
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        painter->setPen(QColor(0xA0, 0xA0, 0xA0));
        const int y = r.center().y();
        painter->drawLine(r.left() + kPictureColumn + 4, y, r.right() - 2, y);
        return;
    }
    const bool selected = item->state & State_Selected && item->state & State_Enabled;
    if (selected) {
        const QRect frame = r.adjusted(1, 0, -2, -1);
        painter->fillRect(frame, kHoverFill);
        painter->setPen(kHoverFrame);
        painter->drawRect(frame);
    }
    if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked) {
        QPen pen(selected ? kHoverFrame : Qt::white, 2);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(pen);
        const QPoint c = column.center();
        painter->drawPolyline(QPolygon({c + QPoint(-5, 0), c + QPoint(-2, 3), c + QPoint(5, -4)}));
        painter->restore();
    } else if (!item->icon.isNull()) {
        const QPixmap pix = item->icon.pixmap(QSize(21, 15));
        const QPoint at(column.left() + (column.width() - 21) / 2,
                        column.top() + (column.height() - 15) / 2);
        painter->drawPixmap(at, pix);
    }
    QRect textRect = r.adjusted(kPictureColumn + 8, 0, -8, 0);
    painter->setPen(item->state & State_Enabled ? Qt::black : Qt::gray);
    painter->setFont(item->font);
    QString text = item->text;
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0)
        text.truncate(tab);
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, text);
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
        // Placed and sized as Fusion places its own, in the item's text colour.
        const int dim = (r.height() - 4) / 2;
        const QRect arrowRect(r.right() - 2 - dim, r.top() + r.height() / 2 - dim / 2, dim, dim);
        QStyleOptionMenuItem arrow = *item;
        arrow.rect = visualRect(item->direction, r, arrowRect);
        const QColor colour = item->state & State_Enabled ? Qt::black : Qt::gray;
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
            arrow.palette.setColor(role, colour);
        proxy()->drawPrimitive(item->direction == Qt::RightToLeft ? PE_IndicatorArrowLeft
                                                                  : PE_IndicatorArrowRight,
                               &arrow, painter, widget);
    }
}

QSize FlatMenuStyle::sizeFromContents(ContentsType type, const QStyleOption *option,
                                      const QSize &size, const QWidget *widget) const
{
    if (type == CT_MenuItem) {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (item && item->menuItemType == QStyleOptionMenuItem::Separator)
            return {size.width(), 7};
        const int textWidth = item ? item->fontMetrics.horizontalAdvance(item->text) : size.width();
        return {kPictureColumn + 8 + textWidth + 24, 21};
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int FlatMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                               const QWidget *widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}
