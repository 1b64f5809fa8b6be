// The help window: a small tool window beside the editor that shows one page of the
// help delivered in the "help" folder beside the program. It lives for the whole
// run; closing it only hides it, and it comes back where it was. Links between the
// help pages stay in it; web and mail addresses go to the user's default programs.
#pragma once

#include <QPoint>
#include <QString>
#include <QUrl>
#include <QWidget>

class IPrompts;
class QTextBrowser;

// The help page of a help button's tag (1 to 10); any other tag gives "getting_started.htm".
QString HelpPageTable(int tag);
// The "file:" address of that page in the "help" folder below `programFolder`.
QString HelpPageAddress(const QString &programFolder, int tag);
// A "file:" address as PathToFileUrl writes it, drive form ("file:///C|/help/a.htm")
// included, as a URL of the local file; any other address is parsed as it is.
QUrl HelpAddressToUrl(const QString &address);

class TfrmHelp : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmHelp(IPrompts &prompts, QWidget *parent = nullptr);

    // Shows the page at `address` and brings the window to the front. A visible window
    // stays where it is; a hidden one comes back where it was last shown. Addresses
    // that are not files go to the default browser instead.
    void ShowPage(const QString &address);

    QTextBrowser *WebBrowser1 = nullptr;

protected:
    void hideEvent(QHideEvent *event) override;
    // Escape closes the window, and the editor has the keyboard again.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Navigate(const QUrl &url);
    void LinkClicked(const QUrl &link);

    IPrompts &m_prompts;
    QPoint m_placement{265, 180};
    QString m_helpFolder;
};
