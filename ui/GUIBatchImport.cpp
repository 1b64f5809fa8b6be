// Batch import: many pictures into the gallery at once, chosen in the picture
// dialog or dropped on the tree from a file manager.
#include "ui/GUI.h"

#include "model/TreeEdits.h"
#include "publish/Folders.h"
#include "publish/codecs/Formats.h"
#include "ui/GUIShared.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// The local files a drag carries, in its order.
QStringList LocalFiles(const QMimeData *data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            files << QDir::toNativeSeparators(url.toLocalFile());
    return files;
}

// Takes the drags and drops of files off the tree (and its viewport) before the
// view's own drag handling sees them; nodes dragged inside the tree go on to it.
class TPictureDropTarget : public QObject
{
public:
    TPictureDropTarget(TMainForm &form, QObject *parent) : QObject(parent), m_form(form), m_tree(form.Tree()) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool drag = event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop;
        if (drag && static_cast<QDropEvent *>(event)->source() == m_tree)
            return QObject::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (LocalFiles(drag->mimeData()).isEmpty()) {
                drag->ignore();
            } else {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            }
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            const QStringList files = LocalFiles(drop->mimeData());
            if (files.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // Handled once the drop has ended, so the file manager the files came
            // from is not kept waiting while a message box is open.
            TMainForm *form = &m_form;
            QMetaObject::invokeMethod(
                form, [form, files] { form->Guarded([form, files] { form->DropPictureFiles(files); }); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    TMainForm &m_form;
    const QObject *m_tree;
};

} // namespace

void TMainForm::btnBatchImportImgsClick()
{
    MarkModified();
    const QStringList files = m_prompts.OpenPictures(PictureDialogFilter(), MyPicturesFolder(), true);
    if (!files.isEmpty())
        ImportPictures(files, true, QStringLiteral("Batch Import"));
    UpdateItemCommands();
}

void TMainForm::DropPictureFiles(const QStringList &paths)
{
    if (Busy())
        return;
    // The selected item may have gained a next sibling.
    if (!ImportPictures(paths, false, QStringLiteral("Drop Pictures")).isEmpty())
        UpdateItemCommands();
}

QStringList TMainForm::ImportPictures(const QStringList &paths, bool keepMissing, const QString &step)
{
    QStringList pictures;
    QStringList refused;
    {
        const TLongOperation operation(*m_progress);
        m_progress->SetStage(QStringLiteral("Checking pictures ..."));
        const ProgressReset reset(*m_progress);
        for (qsizetype i = 0; i < paths.size(); ++i) {
            CheckIn(*m_progress);
            m_progress->SetCount(int(i), int(paths.size()));
            const QString &path = paths.at(i);
            const QString problem = keepMissing && !QFileInfo::exists(path) ? QString() : PictureProblem(path);
            // A type of the wrong name is named alone: the box's first line lists the types.
            if (problem.isEmpty())
                pictures << path;
            else
                refused << (FormatOfSource(path) ? problem : path);
        }
    }
    if (!pictures.isEmpty()) {
        MarkModified();
        RunStep(ImportStep(EditContext(), pictures, step));
        trvwDesignPanel->Root()->setExpanded(true);
    }
    if (!refused.isEmpty())
        m_prompts.Information(QStringLiteral("Only %1 pictures can become items of the gallery. These files were not added:\n\n")
                                  .arg(SupportedPictureTypes()) +
                              AtMostTenLines(refused));
    return pictures;
}

void TMainForm::AcceptPictureDrops()
{
    auto *target = new TPictureDropTarget(*this, trvwDesignPanel);
    for (QWidget *w : {static_cast<QWidget *>(trvwDesignPanel), trvwDesignPanel->viewport()}) {
        w->setAcceptDrops(true);
        w->installEventFilter(target);
    }
}
