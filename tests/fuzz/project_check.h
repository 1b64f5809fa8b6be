// What reading any project file may do, checked the same way by the fuzz target
// and by the corpus test. A file either loads, is no project, is another product's
// or raises QmError with a message. Whatever happens, the progress display comes
// back to rest; when it does not load, the document and the tree stay as they were;
// when it loads, item i stands at node i + 1 with its level as the node's depth,
// and saving the result and reading it back gives the same document and tree.
#pragma once

#include "model/AppletAgent.h"
#include "model/Error.h"
#include "model/MemorySeams.h"
#include "model/TextUtils.h"

#include <QString>

enum class ReadOutcome { Loaded, NoProject, Refused, Raised };

struct ProjectReadCheck
{
    ReadOutcome outcome = ReadOutcome::Raised;
    QString message; // the QmError's text when the reader raised one
    QString fault;   // the first broken promise; empty when all held
};

namespace projectcheck {

// A document with values of its own, so that a refused file visibly leaves them alone.
inline TAppletAgent PreviousDocument()
{
    TAppletAgent doc;
    doc.SetDefaults();
    doc.AppletData.ScriptName = QStringLiteral("before");
    doc.AppletExtras = {QStringLiteral("1"), QStringLiteral("1")};
    TItemData item = TAppletAgent::NewItem();
    item.HTitle = QStringLiteral("kept");
    doc.Items.push_back(item);
    doc.FileVersion = QStringLiteral("old");
    return doc;
}

inline bool AtRest(const MemoryProgress &progress)
{
    return progress.position == 0 && progress.stage.isEmpty() && !progress.busy;
}

// Item i at node i + 1, one node per item, depth = level + 1, caption = file-name part.
inline QString TreeFault(const TAppletAgent &doc, const MemoryItemTree &tree)
{
    if (tree.NodeCount() != int(doc.Items.size()) + 1)
        return QStringLiteral("%1 items but %2 nodes").arg(doc.Items.size()).arg(tree.NodeCount());
    for (int i = 0; i < int(doc.Items.size()); ++i) {
        const TItemData &item = doc.Items[size_t(i)];
        int level = -1;
        try {
            level = StrToInt(item.Level);
        } catch (const QmError &) {
            return QStringLiteral("item %1 was loaded with the level '%2'").arg(i).arg(item.Level);
        }
        if (tree.Depth(i + 1) != level + 1)
            return QStringLiteral("item %1 has level %2 but its node depth %3").arg(i).arg(level).arg(tree.Depth(i + 1));
        if (tree.Caption(i + 1) != ExtractFileName(item.OriginalImagePath))
            return QStringLiteral("item %1 has the caption '%2'").arg(i).arg(tree.Caption(i + 1));
    }
    return QString();
}

// A value with a carriage return inside is the one thing a read file can carry and a save must refuse.
inline bool HoldsCarriageReturn(const TAppletAgent &doc)
{
    for (const AppletParam &p : kAppletCatalogue)
        if ((doc.AppletData.*p.member).contains(QLatin1Char('\r')))
            return true;
    for (const TItemData &item : doc.Items)
        for (const ItemParam &p : kItemCatalogue)
            if ((item.*p.member).contains(QLatin1Char('\r')))
                return true;
    return false;
}

// Saves the loaded document to `resavePath` and reads it back into a fresh document and tree.
inline QString RoundTripFault(const TAppletAgent &doc, const MemoryItemTree &tree, const QString &resavePath)
{
    MemoryProgress progress;
    try {
        doc.SaveProject(resavePath, progress);
    } catch (const QmError &e) {
        return HoldsCarriageReturn(doc) ? QString() : QStringLiteral("saving it again failed: ") + e.message();
    }
    if (HoldsCarriageReturn(doc))
        return QStringLiteral("a value with a carriage return was saved");
    TAppletAgent again;
    MemoryItemTree tree2;
    try {
        if (again.LoadProject(resavePath, tree2, progress) != LoadResult::Loaded)
            return QStringLiteral("its saved copy does not load");
    } catch (const QmError &e) {
        return QStringLiteral("its saved copy raises: ") + e.message();
    }
    if (!(again.AppletData == doc.AppletData) || !(again.AppletExtras == doc.AppletExtras))
        return QStringLiteral("its saved copy has other gallery values");
    if (again.Items != doc.Items)
        return QStringLiteral("its saved copy has other items");
    if (tree2.Dump() != tree.Dump())
        return QStringLiteral("its saved copy gives another tree");
    return QString();
}

} // namespace projectcheck

// Reads the project file at `path`; `resavePath` is where a loaded document is saved again.
// Exceptions other than QmError are left to the caller: they are faults too.
inline ProjectReadCheck CheckProjectRead(const QString &path, const QString &resavePath)
{
    using namespace projectcheck;
    const TAppletAgent before = PreviousDocument();
    TAppletAgent doc = before;
    MemoryItemTree tree;
    MemoryProgress progress;
    ProjectReadCheck check;
    try {
        switch (doc.LoadProject(path, tree, progress)) {
        case LoadResult::Loaded:
            check.outcome = ReadOutcome::Loaded;
            break;
        case LoadResult::NoProject:
            check.outcome = ReadOutcome::NoProject;
            break;
        case LoadResult::Refused:
            check.outcome = ReadOutcome::Refused;
            break;
        }
    } catch (const QmError &e) {
        check.outcome = ReadOutcome::Raised;
        check.message = e.message();
        if (check.message.isEmpty())
            check.fault = QStringLiteral("an error without a message");
    }
    if (!check.fault.isEmpty())
        return check;
    if (!AtRest(progress)) {
        check.fault = QStringLiteral("the progress display was left busy");
        return check;
    }
    if (check.outcome != ReadOutcome::Loaded) {
        if (!(doc.AppletData == before.AppletData) || !(doc.AppletExtras == before.AppletExtras) || doc.Items != before.Items ||
            doc.FileVersion != before.FileVersion)
            check.fault = QStringLiteral("the document changed although nothing was opened");
        else if (tree.NodeCount() != 1)
            check.fault = QStringLiteral("the tree changed although nothing was opened");
        return check;
    }
    check.fault = TreeFault(doc, tree);
    if (check.fault.isEmpty())
        check.fault = RoundTripFault(doc, tree, resavePath);
    return check;
}
