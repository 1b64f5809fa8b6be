#include "model/Catalogue.h"

#include "model/Error.h"
#include "model/TextUtils.h"

#include <algorithm>

using K = ControlKind;

const std::array<AppletParam, 23> kAppletCatalogue = {{
    {1, "ScriptName", "edt_pScriptName", K::Edit, 0, 0, "slideshow1", &TAppletData::ScriptName},
    {2, "ActiveItemWidth", "spnedt_ActiveItemWidth", K::SpinEdit, 1, 9999, "667", &TAppletData::ActiveItemWidth},
    {3, "InactiveItemWidth", "spnedt_InactiveItemWidth", K::SpinEdit, 1, 9999, "75", &TAppletData::InactiveItemWidth},
    {4, "ItemHeight", "spnedt_ItemHeight", K::SpinEdit, 1, 9999, "375", &TAppletData::ItemHeight},
    {5, "SlidingSpeed", "spnedt_SlidingSpeed", K::SpinEdit, 1, 9999, "6", &TAppletData::SlidingSpeed},
    {6, "InactiveItemGray", "ckbx_InactiveItemGray", K::CheckBox, 0, 0, "1", &TAppletData::InactiveItemGray},
    {7, "InactiveItemAlpha", "", K::None, 0, 0, "100", &TAppletData::InactiveItemAlpha},
    {8, "EnableVerticalTitles", "ckbx_EnableVerticalTitles", K::CheckBox, 0, 0, "1", &TAppletData::EnableVerticalTitles},
    {9, "AutoPlay", "ckbx_AutoPlay", K::CheckBox, 0, 0, "1", &TAppletData::AutoPlay},
    {10, "SwitchImageDelay", "spnedt_SwitchImageDelay", K::SpinEdit, 0, 9999, "1", &TAppletData::SwitchImageDelay},
    {11, "HoriTitleFontSize", "spnedt_HoriTitleFontSize", K::SpinEdit, 0, 9999, "24", &TAppletData::HoriTitleFontSize},
    {12, "HoriTitleFontColor", "pnl_HoriTitleFontColor", K::ColorPanel, 0, 0, "FFFFFF", &TAppletData::HoriTitleFontColor},
    {13, "VertTitleFontSize", "spnedt_VertTitleFontSize", K::SpinEdit, 0, 9999, "24", &TAppletData::VertTitleFontSize},
    {14, "VertTitleFontColor", "pnl_VertTitleFontColor", K::ColorPanel, 0, 0, "FFFFFF", &TAppletData::VertTitleFontColor},
    {15, "PreviewBgColor", "pnl_pPreviewBgColor", K::ColorPanel, 0, 0, "000000", &TAppletData::PreviewBgColor},
    {16, "FlashBgColor", "pnl_pFlashBgColor", K::ColorPanel, 0, 0, "000000", &TAppletData::FlashBgColor},
    {17, "ThumbProcessType", "cmbx_pThumbProcessType", K::ComboIndex, 0, 0, "1", &TAppletData::ThumbProcessType},
    {18, "ThumbFillColor", "pnl_pThumbFillColor", K::ColorPanel, 0, 0, "000000", &TAppletData::ThumbFillColor},
    {19, "ImageLeadingPathEnabled", "ckbx__pImageLeadingPathEnabled", K::CheckBox, 0, 0, "0", &TAppletData::ImageLeadingPathEnabled},
    {20, "ImageLeadingPath", "edt__pImageLeadingPath", K::Edit, 0, 0, "", &TAppletData::ImageLeadingPath},
    {21, "RootDirLocal", "edt__InternalUse_RootDir_Local", K::Edit, 0, 0, "", &TAppletData::RootDirLocal},
    {22, "RootDirRemote", "edt__InternalUse_RootDir_Remote", K::Edit, 0, 0, "", &TAppletData::RootDirRemote},
    {23, "RootDirLocalChecked", "rdbtn__InternalUse_RootDir_Local_Checked", K::RadioButton, 0, 0, "1", &TAppletData::RootDirLocalChecked},
}};

const std::array<ItemParam, 10> kItemCatalogue = {{
    {1, "ImageFile", "", K::None, 0, 0, "", &TItemData::ImageFile},
    {2, "ExtraImageFile", "", K::None, 0, 0, "", &TItemData::ExtraImageFile},
    {3, "OriginalImagePath", "edtOriginalImagePath", K::Edit, 0, 0, "", &TItemData::OriginalImagePath},
    {4, "Link", "cmbx_ILink", K::ComboText, 0, 0, "", &TItemData::Link},
    {5, "Target", "cmbx_ITarget", K::ComboText, 0, 0, "_self", &TItemData::Target},
    {6, "HTitle", "edt_IToolTip", K::Edit, 0, 0, "", &TItemData::HTitle},
    {7, "VTitle", "edt_IDesription", K::Edit, 0, 0, "", &TItemData::VTitle},
    {8, "Level", "", K::None, 0, 0, "", &TItemData::Level},
    {9, "Reserved", "", K::None, 0, 0, "", &TItemData::Reserved},
    {10, "FocalPoint", "imgPreview", K::Point, 0, 0, "", &TItemData::FocalPoint},
}};

// Positions count within the extras only; no line of the file holds them as a list.
const std::array<AppletExtraParam, 2> kAppletExtrasCatalogue = {{
    {1, "HiDpi", "ckbx_HiDpiPictures", K::CheckBox, 0, 0, "0", &TAppletExtras::HiDpi},
    {2, "WebP", "ckbx_WebPPictures", K::CheckBox, 0, 0, "0", &TAppletExtras::WebP},
}};

// The entries read exactly as they always have, spelling included: users and the
// help pages know them by these words.
const std::array<const char *, 2> kThumbProcessTypes = {"Keep Origianl Aspect Ratio", "Best Fit to Specified Size"};
const std::array<const char *, 5> kLinkEntries = {"http://", "mailto://", "javascript:", "ftp://", "news://"};
const std::array<const char *, 6> kTargetEntries = {"_self", "_blank", "_parent", "_top", "_search", "_media"};

TAppletData NormaliseAppletData(const TAppletData &data)
{
    TAppletData out = data;
    for (const AppletParam &p : kAppletCatalogue) {
        const QString &value = data.*p.member;
        QString &result = out.*p.member;
        switch (p.kind) {
        case K::None:
            result.clear();
            break;
        case K::Edit:
        case K::ComboText:
        case K::Point:
            result = TrimText(value);
            break;
        case K::SpinEdit:
            result = QString::number(std::clamp(StrToInt(value), p.minimum, p.maximum));
            break;
        case K::CheckBox:
        case K::RadioButton:
            result = value == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case K::ColorPanel:
            result = ColorToHex(HexToColor(value));
            break;
        case K::ComboIndex: {
            const int index = StrToInt(value);
            result = QString::number(index >= 0 && index < int(kThumbProcessTypes.size()) ? index : -1);
            break;
        }
        }
    }
    return out;
}
