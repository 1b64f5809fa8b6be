#include "model/undo/EditSteps.h"

#include "model/Catalogue.h"

namespace {

QString &Field(TAppletAgent &document, const TValueRef &value)
{
    const auto at = size_t(value.position - 1);
    if (value.item == TValueRef::kGallery)
        return document.AppletData.*kAppletCatalogue.at(at).member;
    if (value.item == TValueRef::kGalleryExtra)
        return document.AppletExtras.*kAppletExtrasCatalogue.at(at).member;
    return document.Items.at(size_t(value.item)).*kItemCatalogue.at(at).member;
}

template <typename Visit> auto VisitEntry(const TValueRef &value, Visit visit)
{
    const auto at = size_t(value.position - 1);
    if (value.item == TValueRef::kGallery)
        return visit(kAppletCatalogue.at(at));
    if (value.item == TValueRef::kGalleryExtra)
        return visit(kAppletExtrasCatalogue.at(at));
    return visit(kItemCatalogue.at(at));
}

// Items added as the last children of one node: Insert's one, or one per picture.
class TAddStep : public TEditStep
{
public:
    // Insert's item when `insert`; otherwise one per picture, below the root.
    TAddStep(const TEditContext &context, const QString &text, int parent, bool insert, const QStringList &paths)
        : TEditStep(context, text), m_parent(parent), m_insert(insert), m_paths(paths)
    {}

protected:
    bool Apply() override
    {
        m_first = NewLastChildIndex(m_tree, m_parent);
        if (m_insert)
            InsertChildItem(m_document, m_tree, m_parent);
        else
            AppendImportedItems(m_document, m_tree, m_paths);
        return m_insert || !m_paths.isEmpty();
    }
    void Revert() override
    {
        // The new nodes stand one after another; the last goes first.
        for (int k = m_first + (m_insert ? 1 : int(m_paths.size())) - 1; k >= m_first; --k)
            DeleteSubtree(m_document, m_tree, k);
    }

private:
    int m_parent;
    bool m_insert;
    QStringList m_paths;
    int m_first = 0;
};

class TDeleteStep : public TEditStep
{
public:
    TDeleteStep(const TEditContext &context, int node) : TEditStep(context, QStringLiteral("Delete")), m_node(node) {}

protected:
    bool Apply() override
    {
        m_parent = m_tree.Parent(m_node);
        // Where the subtree goes back: before the sibling that takes its place, if any.
        m_before = m_tree.NextSibling(m_node) >= 0 ? m_node : -1;
        m_taken = TakeSubtree(m_document, m_tree, m_node);
        return true;
    }
    void Revert() override { PutSubtree(m_document, m_tree, m_parent, m_before, m_taken); }

private:
    int m_node;
    int m_parent = -1;
    int m_before = -1;
    TSubtree m_taken;
};

// Move Up and Move Down: each undoes the other.
class TSiblingMoveStep : public TEditStep
{
public:
    TSiblingMoveStep(const TEditContext &context, int node, bool up)
        : TEditStep(context, up ? QStringLiteral("Move Up") : QStringLiteral("Move Down")), m_node(node), m_up(up)
    {}

protected:
    bool Apply() override
    {
        m_moved = m_up ? MoveSubtreeUp(m_document, m_tree, m_node) : MoveSubtreeDown(m_document, m_tree, m_node);
        return m_moved >= 0;
    }
    void Revert() override { m_up ? MoveSubtreeDown(m_document, m_tree, m_moved) : MoveSubtreeUp(m_document, m_tree, m_moved); }

private:
    int m_node;
    bool m_up;
    int m_moved = -1;
};

// A node dragged anywhere: undone by the move back to its old parent, before its old
// next sibling, with the moved items' Levels as they were.
class TMoveStep : public TEditStep
{
public:
    TMoveStep(const TEditContext &context, int node, const TMoveTarget &target)
        : TEditStep(context, QStringLiteral("Move")), m_node(node), m_target(target)
    {}

protected:
    bool Apply() override
    {
        m_parent = m_tree.Parent(m_node);
        m_next = m_tree.NextSibling(m_node);
        m_levels.clear();
        if (m_target.parent >= 0 && m_tree.Depth(m_target.parent) + 1 != m_tree.Depth(m_node)) {
            const TItemRun run = SubtreeItems(m_tree, m_node);
            for (int i = run.first; i < run.first + run.count; ++i)
                m_levels << m_document.Items.at(size_t(i)).Level;
        }
        m_move = MoveSubtreeTo(m_document, m_tree, m_node, m_target.parent, m_target.before);
        return !m_move.Stays();
    }
    void Revert() override
    {
        const int node = m_move.Where(m_node);
        MoveSubtreeTo(m_document, m_tree, node, m_move.Where(m_parent), m_next >= 0 ? m_move.Where(m_next) : -1);
        for (int k = 0; k < m_levels.size(); ++k)
            m_document.Items[size_t(m_node + k) - 1].Level = m_levels[k];
    }

private:
    int m_node;
    TMoveTarget m_target;
    int m_parent = -1;
    int m_next = -1;
    QStringList m_levels; // only when the depth changes
    TreeShape::Move m_move{};
};

class TValueStep : public TEditStep
{
public:
    TValueStep(const TEditContext &context, const QString &name, const TValueRef &value, const QString &text, int session)
        : TEditStep(context, name), m_value(value), m_new(text), m_session(session)
    {}

    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const TValueStep *>(other);
        if (next->m_value != m_value || next->m_session != m_session)
            return false;
        m_new = next->m_new;
        setObsolete(m_new == m_old);
        return true;
    }

protected:
    bool Apply() override
    {
        QString &field = Field(m_document, m_value);
        m_old = field;
        field = m_new;
        return m_old != m_new;
    }
    void Revert() override { Field(m_document, m_value) = m_old; }
    const TValueRef *Value() const override { return &m_value; }

private:
    TValueRef m_value;
    QString m_old;
    QString m_new;
    int m_session;
};

class TCaptionStep : public TEditStep
{
public:
    TCaptionStep(const TEditContext &context, int node, const QString &caption)
        : TEditStep(context, QStringLiteral("Rename")), m_node(node), m_new(caption)
    {}

protected:
    bool Apply() override
    {
        m_old = m_tree.Caption(m_node);
        m_tree.SetCaption(m_node, m_new);
        return m_old != m_new;
    }
    void Revert() override { m_tree.SetCaption(m_node, m_old); }

private:
    int m_node;
    QString m_old;
    QString m_new;
};

} // namespace

QString ValueOf(const TAppletAgent &document, const TValueRef &value)
{
    return Field(const_cast<TAppletAgent &>(document), value);
}

const char *ValueControl(const TValueRef &value)
{
    return VisitEntry(value, [](const auto &entry) { return entry.control; });
}

int ValueMode(const TValueRef &value)
{
    return VisitEntry(value, [](const auto &entry) { return entry.mode(); });
}

TEditStep::TEditStep(const TEditContext &context, const QString &text)
    : QUndoCommand(text), m_document(context.document), m_tree(context.tree), m_view(context.view)
{}

bool TEditStep::Do(const TSelection &before)
{
    m_before = before;
    if (!Apply())
        return false;
    if (m_view)
        m_after = m_view->Selection();
    m_pushing = true;
    return true;
}

void TEditStep::redo()
{
    if (m_pushing) {
        m_pushing = false; // done by Do already
        return;
    }
    Replay([this] { Apply(); }, m_after);
}

void TEditStep::undo()
{
    Replay([this] { Revert(); }, m_before);
}

void TEditStep::Replay(const std::function<void()> &change, const TSelection &selection)
{
    if (m_view)
        m_view->Replay(change, selection, Value());
    else
        change();
}

std::unique_ptr<TEditStep> InsertStep(const TEditContext &context, int parentAbsIndex)
{
    return std::make_unique<TAddStep>(context, QStringLiteral("Insert"), parentAbsIndex, true, QStringList());
}

std::unique_ptr<TEditStep> ImportStep(const TEditContext &context, const QStringList &paths, const QString &text)
{
    return std::make_unique<TAddStep>(context, text, 0, false, paths);
}

std::unique_ptr<TEditStep> DeleteStep(const TEditContext &context, int absIndex)
{
    return std::make_unique<TDeleteStep>(context, absIndex);
}

std::unique_ptr<TEditStep> MoveUpStep(const TEditContext &context, int absIndex)
{
    return std::make_unique<TSiblingMoveStep>(context, absIndex, true);
}

std::unique_ptr<TEditStep> MoveDownStep(const TEditContext &context, int absIndex)
{
    return std::make_unique<TSiblingMoveStep>(context, absIndex, false);
}

std::unique_ptr<TEditStep> MoveStep(const TEditContext &context, int absIndex, const TMoveTarget &target)
{
    return std::make_unique<TMoveStep>(context, absIndex, target);
}

std::unique_ptr<TEditStep> ValueStep(const TEditContext &context, const QString &name, const TValueRef &value, const QString &text,
                                     int session)
{
    return std::make_unique<TValueStep>(context, name, value, text, session);
}

std::unique_ptr<TEditStep> CaptionStep(const TEditContext &context, int absIndex, const QString &caption)
{
    return std::make_unique<TCaptionStep>(context, absIndex, caption);
}
