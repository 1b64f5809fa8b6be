// The parameter catalogue: every gallery and item value, in its fixed order,
// with the control that edits it, its range and its default. The order is the
// identity of a value: records, value lists and project file lines all use it.
// Defaults, ranges and control names are written here once and read by the
// document, the pane codec, the headless publisher and the tests.
#pragma once

#include <QString>

#include <array>

// The 23 gallery parameters.
struct TAppletData
{
    QString ScriptName;
    QString ActiveItemWidth;
    QString InactiveItemWidth;
    QString ItemHeight;
    QString SlidingSpeed;
    QString InactiveItemGray;
    QString InactiveItemAlpha;
    QString EnableVerticalTitles;
    QString AutoPlay;
    QString SwitchImageDelay;
    QString HoriTitleFontSize;
    QString HoriTitleFontColor;
    QString VertTitleFontSize;
    QString VertTitleFontColor;
    QString PreviewBgColor;
    QString FlashBgColor;
    QString ThumbProcessType;
    QString ThumbFillColor;
    QString ImageLeadingPathEnabled;
    QString ImageLeadingPath;
    QString RootDirLocal;
    QString RootDirRemote;
    QString RootDirLocalChecked;

    bool operator==(const TAppletData &) const = default;
};

// The gallery settings kept beside the 23 values above rather than among them, so that
// the gallery line stays as every reader knows it. Switches, "1" or "0". The project
// file carries each one that is on as a line "Name=1" between "</Applet_Parameters>"
// and "<Item_Parameters>", where every reader skips lines; a project with all of them
// off is written exactly as before they existed.
struct TAppletExtras
{
    QString HiDpi; // each item also gets a picture at twice the size, for high-resolution screens
    QString WebP;  // each item's pictures also as WebP

    bool operator==(const TAppletExtras &) const = default;
};

// One slideshow item.
struct TItemData
{
    QString ImageFile;
    QString ExtraImageFile;
    QString OriginalImagePath;
    QString Link;
    QString Target;
    QString HTitle;
    QString VTitle;
    QString Level;
    QString Reserved;
    // The tenth value of the item's line, where older readers find a value they drop:
    // "x,y" (model/FocalPoint.h), empty for none.
    QString FocalPoint;

    bool operator==(const TItemData &) const = default;
};

// How a value is edited; decides the codec's rule for it.
enum class ControlKind {
    None,        // no control: carried in files only
    Edit,        // line edit, trimmed text
    SpinEdit,    // integer clamped to [min, max]
    CheckBox,    // "1" / "0"
    RadioButton, // "1" / "0"
    ColorPanel,  // RRGGBB
    ComboIndex,  // combo box, mode 0: index of the selected entry
    ComboText,   // combo box with free text, mode 1: its edit text
    Point,       // a point chosen on the item's preview picture (TPicturePreview)
};

template <typename Record> struct ParamSpec
{
    int position;        // 1-based place in every list and file line
    const char *field;   // field name
    const char *control; // object name of the editing control, "" for none
    ControlKind kind;
    int minimum; // range of a spin edit (0 / 0 otherwise)
    int maximum;
    const char *defaultValue; // new-project (or new-item) value
    QString Record::*member;

    // The codec mode: 1 for the free-text combo boxes, 0 for everything else.
    int mode() const { return kind == ControlKind::ComboText ? 1 : 0; }
};

using AppletParam = ParamSpec<TAppletData>;
using ItemParam = ParamSpec<TItemData>;
// `field` is the name the project file gives the value ("HiDpi=1").
using AppletExtraParam = ParamSpec<TAppletExtras>;

extern const std::array<AppletParam, 23> kAppletCatalogue;
extern const std::array<ItemParam, 10> kItemCatalogue;
extern const std::array<AppletExtraParam, 2> kAppletExtrasCatalogue;

// Entries of the resize list and of the two item combo boxes.
extern const std::array<const char *, 2> kThumbProcessTypes;
extern const std::array<const char *, 5> kLinkEntries;
extern const std::array<const char *, 6> kTargetEntries;

// The gallery values a pane shows and reads back, as the editor would: spin values
// clamped to their range, colours as upper-case RRGGBB, the resize entry index
// (-1 when outside the list), flags exactly "1"/"0", texts trimmed, and position 7
// (which has no control) empty. Raises the conversion error for a spin or list value
// that is not an integer, exactly as showing it in the pane would.
TAppletData NormaliseAppletData(const TAppletData &data);
