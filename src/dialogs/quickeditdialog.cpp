#include "quickeditdialog.h"

#include "texts.h"

QuickEditDialog::QuickEditDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("quickEditDialog"));
    setWindowTitle(texts::rsQuickEditCaption);
    resize(626, 253);
}
