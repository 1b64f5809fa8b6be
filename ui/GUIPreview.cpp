// The preview: the gallery built into the preview folder and opened in the browser.
#include "ui/GUI.h"

#include "publish/Driver.h"
#include "publish/Folders.h"
#include "publish/WorkingFiles.h"
#include "ui/PreviewServer.h"

#include <QFile>

namespace {

constexpr const char *kPreviewPage = "~preview.html";
// The path segment under which the server publishes the preview folder.
constexpr const char *kPreviewName = "preview";

} // namespace

TPreviewServer &TMainForm::PreviewServer()
{
    if (!m_previewServer)
        m_previewServer = new TPreviewServer(this);
    return *m_previewServer;
}

void TMainForm::Preview1Click()
{
    if (trvwDesignPanel->NodeCount() < 2) {
        m_prompts.Error(QStringLiteral("No item to build. Please add item to left pane and try again."));
        return;
    }
    TakePaneValues();

    const QString page = TempFolder() + QLatin1String(kPreviewPage);
    {
        // Cancelled while the pictures are made, it leaves the preview folder as it was.
        const TLongOperation operation(*m_progress);
        BuildOutput(*Document, page, *trvwDesignPanel, *m_progress);
        CopyLinkedFiles(*Document, PlayerFolder());
        CopyResourceFiles(*Document, ProgramFolder(), *m_progress);
        AddWorkingFile(*Document, page);
        QFile::remove(page);
    }
    ReportUnreadablePictures();

    // A page opened from disk may not read the XML files beside it, so the player would
    // show only its fallback picture; served from the loopback address it plays. Without
    // the server the page is opened from disk all the same.
    const QString previewFolder = PreviewFolder();
    TPreviewServer &server = PreviewServer();
    if (server.EnsureStarted()) {
        server.Publish(QLatin1String(kPreviewName), previewFolder);
        const QUrl address = server.AddressOf(QLatin1String(kPreviewName), QLatin1String(kPreviewPage));
        if (!address.isEmpty()) {
            m_prompts.ShellOpen(address.toString());
            return;
        }
    }
    m_prompts.ShellOpen(previewFolder + QLatin1String(kPreviewPage));
}
