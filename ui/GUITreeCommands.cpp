// The item tree commands: the selection handling, Insert, Delete, Move Up and Move Down.
#include "ui/GUI.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

void TMainForm::trvwDesignPanelChange()
{
    if (Loading)
        return;
    UpdatePaneLayout();
    // Carrying the item pane along with the selection comes with the tree commands.
}

void TMainForm::trvwDesignPanelMouseDown()
{
    if (Loading || !trvwDesignPanel->Selected())
        return;
    UpdateItemCommands();
}

void TMainForm::Insert1Click()
{
    NotAvailableYet();
}

void TMainForm::Delete1Click()
{
    NotAvailableYet();
}

void TMainForm::MoveUp1Click()
{
    NotAvailableYet();
}

void TMainForm::MoveDown1Click()
{
    NotAvailableYet();
}

void TMainForm::ShowImagePreview()
{
    const auto *path = findChild<QLineEdit *>(QStringLiteral("edtOriginalImagePath"));
    const QString file = path ? path->text() : QString();
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        imgPreview->hide();
        return;
    }
    imgPreview->setPixmap(QPixmap(file));
    imgPreview->show();
}
