#pragma once

class QColor;
class QWidget;

// The windows' flat look: a widget filled with one colour, and text in another.
void fillBackground(QWidget *widget, const QColor &colour);
void setTextColour(QWidget *widget, const QColor &colour);
