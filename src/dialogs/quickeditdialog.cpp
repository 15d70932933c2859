#include "quickeditdialog.h"

#include "texts.h"

TForm2::TForm2(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(texts::rsQuickEditCaption);
    resize(626, 253);
}
