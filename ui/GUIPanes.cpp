// The parameter pane: values between pane and document, change handling, swatches,
// the picture and link choosers, the separator guard and the hint line.
#include "ui/GUI.h"

#include "ui/PaneCodec.h"

void TMainForm::ReadAppletPane()
{
    Document->SetAppletData(ReadAppletControls(this));
}

void TMainForm::ShowAppletPane()
{
    ShowAppletControls(Document->GetAppletData(), this);
}

void TMainForm::ReadItemPane(int index)
{
    Document->SetItem(ReadItemControls(this), index);
}

void TMainForm::ShowItemPane(int index)
{
    ShowItemControls(Document->GetItem(index), this);
}

void TMainForm::TakePaneValues()
{
    ReadAppletPane();
    if (CurrentItemNode)
        ReadItemPane(trvwDesignPanel->AbsoluteIndex(CurrentItemNode) - 1);
}

void TMainForm::spnedtApWidthChange()
{
    MarkModified();
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    // The hint line following the mouse comes with the pane behaviour.
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::CheckSeparatorFree()
{}

void TMainForm::pnlApBgClrClick()
{
    NotAvailableYet();
}

void TMainForm::spdbtnItemImageNormalClick()
{
    NotAvailableYet();
}

void TMainForm::spdbtnItURLClick()
{
    NotAvailableYet();
}
