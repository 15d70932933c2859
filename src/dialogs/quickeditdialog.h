#pragma once

#include <QDialog>

// The quick edit window.
class QuickEditDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QuickEditDialog)

public:
    explicit QuickEditDialog(QWidget *parent = nullptr);

    bool m_edited = false;
};
