// The help buttons and the Help menu: help pages, samples, the maker's addresses and the About box.
#include "ui/GUI.h"

#include "model/Product.h"
#include "publish/Folders.h"
#include "ui/AboutBox.h"
#include "ui/HelpWindow.h"
#include "ui/PreviewServer.h"

namespace {

// The path segment under which the server publishes the samples folder.
constexpr const char *kSamplesName = "samples";

} // namespace

void TMainForm::CreateHelpWindow()
{
    // A tool window of its own above the editor, hidden until a help button asks for it.
    frmHelp = new TfrmHelp(m_prompts, this);
    frmHelp->hide();
}

void TMainForm::SpeedButton1Click()
{
    const int tag = sender() ? sender()->property("Tag").toInt() : 0;
    frmHelp->ShowPage(HelpPageAddress(ProgramFolder(), tag));
}

void TMainForm::Topic1Click()
{
    m_prompts.ShellOpen(HelpFolder() + QStringLiteral("index.html"));
}

void TMainForm::ViewSample1Click()
{
    // The sample galleries play only when their page may read the XML files beside it,
    // so they are served from the loopback address like the preview; without the
    // server the index is opened from disk.
    TPreviewServer &server = PreviewServer();
    if (server.EnsureStarted()) {
        server.Publish(QLatin1String(kSamplesName), SamplesFolder());
        const QUrl address = server.AddressOf(QLatin1String(kSamplesName), QStringLiteral("index.html"));
        if (!address.isEmpty()) {
            m_prompts.ShellOpen(address.toString());
            return;
        }
    }
    m_prompts.ShellOpen(SamplesFolder() + QStringLiteral("index.html"));
}

void TMainForm::Homepage1Click()
{
    m_prompts.ShellOpen(QLatin1String(kProductAddress));
}

void TMainForm::ContactUs1Click()
{
    m_prompts.ShellOpen(QLatin1String(kSupportAddress));
}

void TMainForm::About1Click()
{
    // Modal to the whole program, yet without an event loop of its own: the box
    // deletes itself once it is closed.
    auto *about = new TformAbout(m_prompts, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->setWindowModality(Qt::ApplicationModal);
    about->show();
}
