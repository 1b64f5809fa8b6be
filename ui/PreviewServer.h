// A small web server on the loopback interface that shows the preview and the samples
// in the user's browser. A page opened from disk (file:///) may not read the XML files
// beside it, so the player would show only the fallback picture; served over HTTP from
// 127.0.0.1 the page and its files share one origin and the gallery plays.
//
// Folders are published under a name: http://127.0.0.1:PORT/TOKEN/NAME/path/to/file.
// TOKEN is a random hexadecimal string made at start, so no other page running on this
// machine can guess an address. Only GET and HEAD of regular files inside a published
// folder are answered; nothing leads out of the folder (no "..", no encoded slashes, no
// symbolic link pointing elsewhere), directories are not listed, and a request that names
// another host than the bound address is refused, which defeats DNS rebinding.
#pragma once

#include <QHostAddress>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class TPreviewHttp;

class TPreviewServer : public QObject
{
    Q_OBJECT

public:
    explicit TPreviewServer(QObject *parent = nullptr);
    ~TPreviewServer() override;

    // Starts listening on 127.0.0.1 at a port the system picks, the first time it is
    // called; later calls only report whether the server runs. False when it cannot
    // listen, and callers then open the file from disk instead.
    bool EnsureStarted();
    bool IsStarted() const { return m_port != 0; }
    QHostAddress Address() const;
    quint16 Port() const { return m_port; }

    // Serves `folder` under `name`, replacing an earlier folder of that name. The folder
    // need not exist yet; every request looks it up afresh. Returns the absolute path now
    // served, or an empty string when `name` is not a plain path segment.
    QString Publish(const QString &name, const QString &folder);
    // The address of `fileName` (a relative path of plain segments joined by "/") in the
    // folder published as `name`; an empty address when the server does not run, the name
    // is not published or the file name is not a plain relative path.
    QUrl AddressOf(const QString &name, const QString &fileName) const;

    // The content type the server sends for a file name.
    static QByteArray ContentTypeOf(const QString &fileName);

private:
    friend class TPreviewHttp;

    // The file a request path (as sent, percent-encoded, starting with "/") stands for,
    // or an empty string when it names nothing the server may hand out.
    QString FileForPath(const QByteArray &encodedPath) const;

    std::unique_ptr<TPreviewHttp> m_http;
    QString m_token;
    quint16 m_port = 0;
    QMap<QString, QString> m_folders;
};
