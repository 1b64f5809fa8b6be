#include "model/AppletAgent.h"

#include "model/Error.h"
#include "model/FocalPoint.h"
#include "model/Product.h"
#include "model/SaveFile.h"
#include "model/TextUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

const char *const kForeignProductMessage = "This file wasn't saved by Quillmere 1.0, open failed!";

TAppletAgent::TAppletAgent()
    : LinkedFiles{{QStringLiteral("foldreel.swf"), QStringLiteral("swf"), 0},
                  {QStringLiteral("expressinstall.swf"), QStringLiteral("swf"), 0},
                  {QStringLiteral("swfobject.js"), QStringLiteral("js"), 0},
                  {QStringLiteral("my_flash_config.xml"), QStringLiteral("xml"), 1},
                  {QStringLiteral("my_flash_config2.xml"), QStringLiteral("xml"), 1}},
      Separator(QStringLiteral("#$@"))
{}

void TAppletAgent::SetDefaults()
{
    for (const AppletParam &p : kAppletCatalogue)
        AppletData.*p.member = QString::fromLatin1(p.defaultValue);
    for (const AppletExtraParam &p : kAppletExtrasCatalogue)
        AppletExtras.*p.member = QString::fromLatin1(p.defaultValue);
    Items.clear();
    ItemVariants.clear();
    ItemFocus.clear();
}

TItemData TAppletAgent::NewItem()
{
    TItemData item;
    for (const ItemParam &p : kItemCatalogue)
        item.*p.member = QString::fromLatin1(p.defaultValue);
    return item;
}

TStringArray TAppletAgent::AppletDataToStrings(const TAppletData &data)
{
    TStringArray list;
    for (const AppletParam &p : kAppletCatalogue)
        list << data.*p.member;
    return list;
}

TAppletData TAppletAgent::StringsToAppletData(const TStringArray &list, const QString &)
{
    TAppletData data;
    for (const AppletParam &p : kAppletCatalogue)
        data.*p.member = list.value(p.position - 1);
    return data;
}

TStringArray TAppletAgent::ItemToStrings(const TItemData &item)
{
    TStringArray list;
    for (const ItemParam &p : kItemCatalogue)
        list << item.*p.member;
    // The line always holds eleven values; the last is spare.
    list << QString();
    return list;
}

TItemData TAppletAgent::StringsToItem(const TStringArray &list, const QString &)
{
    TItemData item;
    for (const ItemParam &p : kItemCatalogue)
        item.*p.member = list.value(p.position - 1);
    // A focal point that cannot be read is no focal point.
    item.FocalPoint = FocalPointText(ParseFocalPoint(item.FocalPoint));
    return item;
}

void TAppletAgent::InsertItem(int index, const TItemData &item)
{
    const int n = int(Items.size());
    if (n == 0)
        Items.assign(1, item);
    else if (index == n)
        Items.push_back(item);
    else if (index >= 0 && index < n)
        Items.insert(Items.begin() + index, item);
    // index > n (or negative): the item is dropped.
}

void TAppletAgent::DeleteItem(int index)
{
    const int n = int(Items.size());
    if (n == 0)
        return;
    if (n == 1)
        Items.clear();
    else if (index >= 0 && index < n)
        Items.erase(Items.begin() + index);
}

void TAppletAgent::MoveItemUp(int index)
{
    if (index > 0 && index < int(Items.size()))
        std::swap(Items[size_t(index)], Items[size_t(index) - 1]);
}

QString TAppletAgent::JoinValues(const TStringArray &list) const
{
    QString line;
    for (const QString &value : list)
        line += value + Separator;
    return line;
}

QStringList TAppletAgent::ExtrasLines(const TAppletExtras &extras)
{
    QStringList lines;
    for (const AppletExtraParam &p : kAppletExtrasCatalogue)
        if (extras.*p.member == QLatin1String("1"))
            lines << QLatin1String(p.field) + QStringLiteral("=1");
    return lines;
}

// A value holding the separator or a line break would shift or split its line, and
// the file could not be opened again: such a save is refused before anything is written.
static void CheckStorable(const QString &value, const char *field, const QString &separator, int itemIndex)
{
    if (!value.contains(separator) && !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return;
    const QString where = itemIndex < 0 ? QStringLiteral("The gallery value %1").arg(QLatin1String(field))
                                        : QStringLiteral("The value %1 of item %2").arg(QLatin1String(field)).arg(itemIndex + 1);
    throw QmError(QStringLiteral("%1 (\"%2\") holds \"%3\" or a line break, which a project file cannot store. "
                                 "Please change it and save again.")
                      .arg(where, value, separator));
}

void TAppletAgent::SaveProject(const QString &fileName, IProgress &progress) const
{
    for (const AppletParam &p : kAppletCatalogue)
        CheckStorable(AppletData.*p.member, p.field, Separator, -1);
    for (size_t i = 0; i < Items.size(); ++i)
        for (const ItemParam &p : kItemCatalogue)
            CheckStorable(Items[i].*p.member, p.field, Separator, int(i));

    const int n = int(Items.size());
    progress.SetMaximum(11 * n + 15);
    progress.SetStage(QStringLiteral("Saving Data ... ..."));
    progress.SetBusy(true);
    ProgressReset reset(progress);

    QStringList lines{QStringLiteral("<Warning_Info>"),
                      QStringLiteral("Note: This file was created and maintained by %1.").arg(ProductTitle()),
                      QStringLiteral("Do not modify it or script project may not be opened again!"),
                      QStringLiteral("</Warning_Info>"),
                      QStringLiteral("<Product_Name>"),
                      ProductName(),
                      QStringLiteral("</Product_Name>"),
                      QStringLiteral("<Product_Version>"),
                      ProductVersion(),
                      QStringLiteral("</Product_Version>")};
    progress.Step(10);
    lines << QStringLiteral("<Applet_Parameters>") << JoinValues(AppletDataToStrings(AppletData)) << QStringLiteral("</Applet_Parameters>");
    lines << ExtrasLines(AppletExtras);
    progress.Step(5);
    lines << QStringLiteral("<Item_Parameters>");
    for (const TItemData &item : Items) {
        QString line;
        for (const QString &value : ItemToStrings(item)) {
            line += value + Separator;
            progress.Step(1);
        }
        lines << line;
    }
    lines << QStringLiteral("</Item_Parameters>");
    SaveTextFile(fileName, lines);
}

namespace {

// "Name=Value": a value that is not "1" reads as off.
void ReadExtraLine(const QString &line, TAppletExtras &extras)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return;
    const QStringView name = QStringView(line).left(equals);
    for (const AppletExtraParam &p : kAppletExtrasCatalogue)
        if (name == QLatin1String(p.field))
            extras.*p.member = QStringView(line).mid(equals + 1) == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("0");
}

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Far more than any slideshow's project file holds; a larger file is not read into memory.
constexpr qint64 kMaxProjectBytes = qint64(32) << 20;

// The file's lines, without their line ends; QmError naming the path when it cannot be read.
QStringList ReadLines(const QString &fileName)
{
    // A name that could not be read from the system names no file at all.
    if (IsUnreadableName(fileName))
        throw QmError(QStringLiteral("Cannot open file \"%1\". %2").arg(Native(fileName), QLatin1String(kUnreadableName)));
    const QFileInfo info(fileName);
    // A folder, pipe or device is no project file, and reading a pipe could wait forever.
    if (info.exists() && !info.isFile())
        throw QmError(QStringLiteral("Cannot open file \"%1\". It is not a project file.").arg(Native(fileName)));
    if (info.size() > kMaxProjectBytes)
        throw QmError(QStringLiteral("Cannot open file \"%1\". At %2 MB it is far too large to be a project file.")
                          .arg(Native(fileName))
                          .arg(info.size() >> 20));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw QmError(QStringLiteral("Cannot open file \"%1\". %2").arg(Native(fileName), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw QmError(QStringLiteral("Cannot read file \"%1\". %2").arg(Native(fileName), file.errorString()));
    QStringList lines = QString::fromLocal8Bit(bytes).split(QLatin1Char('\n'));
    // A final line end does not start another line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    return lines;
}

} // namespace

LoadResult TAppletAgent::LoadProject(const QString &fileName, IItemTree &tree, IProgress &progress)
{
    const QStringList lines = ReadLines(fileName);
    qsizetype at = 0;
    // Moves `at` past the next line equal to `marker`; false at the end of the file.
    auto skipTo = [&](const char *marker) {
        while (at < lines.size())
            if (lines.at(at++) == QLatin1String(marker))
                return true;
        return false;
    };
    auto truncated = [&](const char *missing) {
        return QmError(QStringLiteral("The project file \"%1\" is incomplete: \"%2\" is missing. Nothing was opened.")
                           .arg(Native(fileName), QLatin1String(missing)));
    };

    if (lines.isEmpty() || !skipTo("<Product_Name>"))
        return LoadResult::NoProject;
    if (at >= lines.size())
        throw truncated("</Product_Name>");
    const QString product = lines.at(at++);
    // Projects saved under the product's earlier name open too: users still have them.
    if (product != ProductName() && product != QLatin1String("Morrowfen"))
        return LoadResult::Refused;

    if (!skipTo("<Product_Version>") || at >= lines.size())
        throw truncated("<Product_Version>");
    const QString version = lines.at(at++);
    if (!skipTo("<Applet_Parameters>") || at >= lines.size())
        throw truncated("<Applet_Parameters>");
    // The search for the item section starts with the gallery line itself.
    const QString galleryLine = lines.at(at);
    const TStringArray values = GetFields(galleryLine, int(kAppletCatalogue.size()), Separator);
    const TAppletData applet = StringsToAppletData(values, version);
    const qsizetype galleryAt = at;
    if (!skipTo("<Item_Parameters>"))
        throw truncated("<Item_Parameters>");
    // The extras stand between the gallery line and the item section, in any order;
    // other lines there are skipped as they always were.
    TAppletExtras extras;
    for (const AppletExtraParam &p : kAppletExtrasCatalogue)
        extras.*p.member = QString::fromLatin1(p.defaultValue);
    for (qsizetype i = galleryAt + 1; i < at - 1; ++i)
        ReadExtraLine(lines.at(i), extras);

    progress.SetStage(QStringLiteral("Loading Data ... ..."));
    progress.SetBusy(true);
    ProgressReset reset(progress);

    TItemArray items;
    bool closed = false;
    while (at < lines.size()) {
        // Nothing has changed yet: the user may stop the opening here.
        CheckIn(progress);
        const QString &line = lines.at(at++);
        if (line == QLatin1String("</Item_Parameters>")) {
            closed = true;
            break;
        }
        items.push_back(StringsToItem(GetFields(line, int(kItemCatalogue.size()) + 1, Separator), version));
    }
    if (!closed)
        throw truncated("</Item_Parameters>");

    // Everything is read and checked: only now do document and tree change.
    RebuildTree(items, tree);
    AppletData = applet;
    AppletExtras = extras;
    FileVersion = version;
    Items = std::move(items);
    return LoadResult::Loaded;
}

void TAppletAgent::RebuildTree(TItemArray &items, IItemTree &tree)
{
    // Levels first: a bad one refuses the file before the tree changes.
    std::vector<int> levels;
    levels.reserve(items.size());
    for (const TItemData &item : items) {
        // A level may rise by one step at most; the first item stands under the root.
        const int previous = levels.empty() ? -1 : levels.back();
        levels.push_back(std::clamp(StrToInt(item.Level), 0, previous + 1));
    }
    // parentOf[level] is the absolute index of the latest node that can take a child at that level.
    std::vector<int> parentOf{0};
    for (size_t i = 0; i < items.size(); ++i) {
        const int level = levels[i];
        parentOf.resize(size_t(level) + 1);
        if (level != StrToInt(items[i].Level))
            items[i].Level = QString::number(level);
        tree.AddLastChild(parentOf[size_t(level)], ExtractFileName(items[i].OriginalImagePath));
        parentOf.push_back(int(i) + 1);
    }
}
