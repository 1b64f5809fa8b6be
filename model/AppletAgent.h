// The one document of the editor: gallery values, items in tree order, the files
// every published folder needs, and the bookkeeping of the publishing code.
// Publishing itself lives in publish/ and works on this document.
#pragma once

#include "model/Catalogue.h"
#include "model/Seams.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

// A file the published folder needs beside the page.
struct TLinkedFileInfo
{
    QString FileName;
    QString FileType; // "swf", "js" or "xml"
    quint8 Generated; // 1: written by publishing; 0: a player file copied from the program folder

    bool operator==(const TLinkedFileInfo &) const = default;
};

// An item that the latest build published without a picture because its picture
// exists but cannot be read or decoded.
struct TUnreadablePicture
{
    int Item = 0;   // index in the item array
    QString Path;   // the picture's path, trimmed
    QString Reason; // one line, as the reader gave it

    bool operator==(const TUnreadablePicture &) const = default;
};

// A picture the latest build made for an item beside its ImageFile: the item's
// picture at `Scale` times the gallery's size, of the type its extension names.
struct TPictureVariant
{
    int Scale = 1;
    QString FileName; // "p0_t@2x.jpg", "p0_t.webp", "p0_t@2x.webp"

    bool operator==(const TPictureVariant &) const = default;
};

using TPictureVariants = std::vector<TPictureVariant>;
using TItemArray = std::vector<TItemData>;
using TLinkedFileInfoArray = std::vector<TLinkedFileInfo>;
using TStringArray = QStringList;

// What LoadProject made of a file.
enum class LoadResult {
    Loaded,    // document and tree replaced by the file's contents
    NoProject, // empty file, or no product marker: nothing changed
    Refused,   // another product's file: nothing changed; show kForeignProductMessage
};

extern const char *const kForeignProductMessage;

class TAppletAgent
{
public:
    TAppletAgent();

    TAppletData AppletData;
    TAppletExtras AppletExtras; // the gallery settings outside the catalogue (model/Catalogue.h)
    TItemArray Items;
    TLinkedFileInfoArray LinkedFiles;
    QStringList WorkingFiles;
    // Each item's extra pictures from the latest build, by item index: empty unless
    // AppletExtras asks for them. Filled by the picture pass; the configuration files,
    // the page, the readme and the save's copies read it in the same build.
    std::vector<TPictureVariants> ItemVariants;
    // Each item's focal point as it landed in its picture of the latest build ("x,y",
    // whole percent of the picture), by item index; empty for an item without one.
    std::vector<QString> ItemFocus;
    QStringList ResourceFiles;
    // Filled by every build's picture pass.
    std::vector<TUnreadablePicture> UnreadablePictures;
    QString Separator;
    QString FileVersion;

    void SetDefaults();
    static TItemData NewItem();

    TAppletData GetAppletData() const { return AppletData; }
    void SetAppletData(const TAppletData &data) { AppletData = data; }
    TItemData GetItem(int index) const { return Items.at(size_t(index)); }
    void SetItem(const TItemData &item, int index) { Items.at(size_t(index)) = item; }

    static TStringArray AppletDataToStrings(const TAppletData &data);
    static TAppletData StringsToAppletData(const TStringArray &list, const QString &version);
    static TStringArray ItemToStrings(const TItemData &item);
    static TItemData StringsToItem(const TStringArray &list, const QString &version);

    void InsertItem(int index, const TItemData &item);
    void DeleteItem(int index);
    // Exchanges the item with the one before it; whole subtrees move with the
    // block exchanges of model/TreeEdits.h.
    void MoveItemUp(int index);

    // Writes the project file atomically: the previous file stays intact when the write fails.
    void SaveProject(const QString &fileName, IProgress &progress) const;
    // Reads a project file into a staging copy first; only a complete, valid file
    // replaces the document and adds its nodes under the tree's root (the caller
    // passes a tree holding only the root). A file that cannot be read, that ends
    // early or holds a Level that is not a number raises QmError and changes nothing;
    // so does the user stopping it while it reads (TCancelled).
    LoadResult LoadProject(const QString &fileName, IItemTree &tree, IProgress &progress);

    // Adds one node per item under the tree's root from the items' levels; levels a
    // saved file never holds (a first level above 0, a jump of more than one) are
    // clamped (and stored clamped) so that item i always stands at node i + 1.
    // Raises the conversion error for a level that is not an integer, before the
    // tree is touched.
    static void RebuildTree(TItemArray &items, IItemTree &tree);

    // The project file's lines of the extras that are on, "HiDpi=1" and the like.
    static QStringList ExtrasLines(const TAppletExtras &extras);

    // The line of separator-terminated values.
    QString JoinValues(const TStringArray &list) const;
};
