// The role a screen reader is told for widgets of our own classes whose Qt base
// would give a vaguer one (a plain widget reads as a pane).
#pragma once

#include <QAccessible>

// Widgets of the class `className` (its meta-object name) are shown to assistive
// technology with `role`. Registered once per class; later calls for it are ignored.
void ShowAsRole(const char *className, QAccessible::Role role);
