// The preview: the gallery built into the preview folder and opened in the browser.
#include "ui/GUI.h"

void TMainForm::Preview1Click()
{
    NotAvailableYet();
}
