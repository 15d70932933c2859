#pragma once

#include <QDialog>

// The quick edit window.
class TForm2 final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TForm2)

public:
    explicit TForm2(QWidget *parent = nullptr);

    bool ScriptEdited = false;
};
