// The help buttons and the Help menu: help pages, samples, the maker's addresses and the About box.
#include "ui/GUI.h"

void TMainForm::SpeedButton1Click()
{
    NotAvailableYet();
}

void TMainForm::Topic1Click()
{
    NotAvailableYet();
}

void TMainForm::ViewSample1Click()
{
    NotAvailableYet();
}

void TMainForm::Homepage1Click()
{
    NotAvailableYet();
}

void TMainForm::ContactUs1Click()
{
    NotAvailableYet();
}

void TMainForm::About1Click()
{
    NotAvailableYet();
}
