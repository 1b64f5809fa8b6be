// The lists of pane controls the main window wires by name, beside the parameter
// catalogue whose controls they extend. Each list is written once, here.
#pragma once

#include <array>

// clang-format off

// The fourteen controls whose edits mark the project modified (`spnedtApWidthChange`).
// Check boxes, radio buttons, the resize list, the picture path and the leading path
// are left out on purpose: changing them alone does not make a project unsaved.
inline constexpr std::array<const char *, 14> kChangeHandledControls = {
    "edt_pScriptName",
    "spnedt_ActiveItemWidth", "spnedt_InactiveItemWidth", "spnedt_SlidingSpeed", "spnedt_ItemHeight",
    "spnedt_SwitchImageDelay", "spnedt_HoriTitleFontSize", "spnedt_VertTitleFontSize",
    "cmbx_ILink", "cmbx_ITarget", "edt_IToolTip", "edt_IDesription",
    "edt__InternalUse_RootDir_Local", "edt__InternalUse_RootDir_Remote"};

// The nine text fields that may not hold the project file's separator (`CheckSeparatorFree`).
inline constexpr std::array<const char *, 9> kSeparatorGuardedFields = {
    "edt_pScriptName", "edtOriginalImagePath",
    "cmbx_ILink", "cmbx_ITarget", "edt_IToolTip", "edt_IDesription",
    "edt__InternalUse_RootDir_Local", "edt__InternalUse_RootDir_Remote", "edt__pImageLeadingPath"};

// The five colour swatches (`pnlApBgClrClick`).
inline constexpr std::array<const char *, 5> kSwatches = {
    "pnl_pPreviewBgColor", "pnl_pFlashBgColor", "pnl_pThumbFillColor", "pnl_HoriTitleFontColor", "pnl_VertTitleFontColor"};

// The 35 controls over which the hint line follows the mouse (`spnedtApWidthMouseMove`).
// Only the tree, the tool buttons, the two extra-picture check boxes and the preview
// with its Centre button have a hint; the others empty the line.
inline constexpr std::array<const char *, 35> kHintLineControls = {
    "tbshtScript",
    "pnl_pPreviewBgColor", "pnl_pFlashBgColor", "pnl_pThumbFillColor", "pnl_HoriTitleFontColor", "pnl_VertTitleFontColor",
    "spnedt_ActiveItemWidth", "spnedt_InactiveItemWidth", "spnedt_SlidingSpeed", "spnedt_ItemHeight",
    "spnedt_SwitchImageDelay", "spnedt_HoriTitleFontSize", "spnedt_VertTitleFontSize",
    "spdbtnOriginalImagePath", "spdbtnItURL", "GroupBox7", "edt_IToolTip", "edt_IDesription",
    "pnlTreeView", "trvwDesignPanel",
    "tlbtnNew", "tlbtnOpen", "tlbtnSave", "tlbtnUndo", "tlbtnRedo", "tlbtnInsert", "tlbtnDelete", "tlbtnMoveUp", "tlbtnMoveDown", "tlbtnPreview",
    "tlbtnHelp", "ckbx_HiDpiPictures", "ckbx_WebPPictures", "imgPreview", "btnCentreFocalPoint"};

// Each parameter sheet's controls in reading order, the order Tab takes through the
// sheet: group by group from the top, a group's help button after its fields.
inline constexpr std::array<const char *, 24> kScriptSheetOrder = {
    "edt_pScriptName", "pnl_pPreviewBgColor", "pnl_pFlashBgColor", "SpeedButton1",
    "spnedt_ActiveItemWidth", "spnedt_InactiveItemWidth", "spnedt_ItemHeight", "spnedt_SlidingSpeed",
    "ckbx_InactiveItemGray", "SpeedButton4",
    "cmbx_pThumbProcessType", "pnl_pThumbFillColor", "ckbx_HiDpiPictures", "ckbx_WebPPictures", "SpeedButton2",
    "ckbx_AutoPlay", "spnedt_SwitchImageDelay", "SpeedButton6",
    "spnedt_HoriTitleFontSize", "pnl_HoriTitleFontColor", "spnedt_VertTitleFontSize", "pnl_VertTitleFontColor",
    "ckbx_EnableVerticalTitles", "SpeedButton3"};
inline constexpr std::array<const char *, 13> kItemSheetOrder = {
    "edtOriginalImagePath", "spdbtnOriginalImagePath", "SpeedButton13",
    "cmbx_ILink", "spdbtnItURL", "cmbx_ITarget", "SpeedButton24",
    "edt_IToolTip", "SpeedButton19",
    "edt_IDesription", "SpeedButton8",
    "imgPreview", "btnCentreFocalPoint"};
inline constexpr std::array<const char *, 7> kPathSheetOrder = {
    "edt__InternalUse_RootDir_Local", "edt__InternalUse_RootDir_Remote",
    "rdbtn__InternalUse_RootDir_Local_Checked", "rdbtn__InternalUse_RootDir_Local_Checked2",
    "ckbx__pImageLeadingPathEnabled", "edt__pImageLeadingPath", "SpeedButton28"};

// clang-format on
