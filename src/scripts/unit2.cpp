#include "unit2.h"

#include "resourceunit.h"

TForm2::TForm2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(resourceunit::rsQuickEditCaption);
    resize(626, 253);
}
