#pragma once

#include "dialogs.h"

#include <QDialog>

class QLabel;

// The about box: logo, version and the home page link.
class AboutDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutDialog)

public:
    explicit AboutDialog(Dialogs &dialogs, QWidget *parent = nullptr);

    // Shows the box modally, centred over `window`.
    void showOver(const QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void openHomePage();

    Dialogs &m_dialogs;
    QLabel *m_link = nullptr;
};
