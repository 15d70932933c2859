#include "unit5.h"

#include "resourceunit.h"

Taboutform::Taboutform(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutform"));
    setWindowTitle(resourceunit::rsAboutCaption);
    setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
    setFixedSize(325, 151);
}
