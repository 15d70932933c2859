#pragma once

class QColor;
class QFrame;
class QLabel;
class QWidget;

// The windows' flat look: a widget filled with one colour, and text in another.
void fillBackground(QWidget *widget, const QColor &colour);
void setTextColour(QWidget *widget, const QColor &colour);

// A frameless panel and a label showing plain text (paths and texts as they
// are, never read as markup), each named for tests and style sheets.
QFrame *namedPanel(QWidget *parent, const char *name);
QLabel *plainLabel(QWidget *parent, const char *name, const QColor &colour);
