// The codec between the parameter panes and the stored text values: one control is
// read into a text or written from one, by the rules of its class. The class is
// recognised by its exact class name, so a derived class with another name is
// left alone. Mode 1 is for the free-text combo boxes; everything else uses 0.
#pragma once

#include "model/Catalogue.h"
#include "model/TextUtils.h"

#include <QString>

class QWidget;

// Reads `control` into `destination`; a control of any other class leaves it as it was.
void ControlToValue(const QWidget *control, int mode, QString &destination);
// Shows `value` in `control`; nothing happens for a control of any other class.
// A spin box or a mode-0 combo box raises the integer conversion error for a value
// that is not an integer; a colour panel raises it for non-hexadecimal text.
void ValueToControl(const QString &value, QWidget *control, int mode);

// The catalogue entry of a control name (nullptr when the name is not catalogued).
const AppletParam *AppletParamOf(const QString &controlName);
const ItemParam *ItemParamOf(const QString &controlName);

// The gallery pane below `root`: the 22 catalogued controls in catalogue order,
// position 7 (which has no control) left empty when reading and not shown.
TAppletData ReadAppletControls(const QWidget *root);
void ShowAppletControls(const TAppletData &data, QWidget *root);

// The gallery settings outside the catalogue, on the same sheet.
TAppletExtras ReadAppletExtraControls(const QWidget *root);
void ShowAppletExtraControls(const TAppletExtras &extras, QWidget *root);

// The item pane below `root`: its six controls (positions 3 to 7, and the focal
// point on the preview picture at 10); the other positions read as empty.
TItemData ReadItemControls(const QWidget *root);
void ShowItemControls(const TItemData &item, QWidget *root);
