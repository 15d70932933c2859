#include "quickeditdialog.h"

#include "texts.h"

QuickEditDialog::QuickEditDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(texts::rsQuickEditCaption);
    resize(626, 253);
}
