// Batch import: many pictures into the gallery at once.
#include "ui/GUI.h"

void TMainForm::btnBatchImportImgsClick()
{
    NotAvailableYet();
}
