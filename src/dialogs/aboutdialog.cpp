#include "aboutdialog.h"

#include "texts.h"

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(texts::rsAboutCaption);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setFixedSize(325, 151);
}
