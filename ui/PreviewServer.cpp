#include "ui/PreviewServer.h"

#include <QAbstractHttpServer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace {

using Status = QHttpServerResponder::StatusCode;

// At least 128 bits, so that the address of a served file cannot be guessed.
constexpr int kTokenWords = 4;

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// One name of a path: not empty, not "." or "..", and nothing that separates names or
// picks a drive or stream (slash, backslash, colon) or that no file name holds.
bool IsPlainSegment(const QString &segment)
{
    if (segment.isEmpty() || segment == QLatin1String(".") || segment == QLatin1String(".."))
        return false;
    for (const QChar c : segment) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

// "a/b/c" as its names, or nothing when one of them is not plain.
std::optional<QStringList> PlainSegments(const QString &relativePath)
{
    const QStringList segments = relativePath.split(QLatin1Char('/'));
    for (const QString &segment : segments) {
        if (!IsPlainSegment(segment))
            return std::nullopt;
    }
    return segments;
}

// Compares without stopping at the first difference, so the time taken tells nothing
// about how much of the token a guess got right.
bool SameToken(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return false;
    char16_t difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= char16_t(a.at(i).unicode() ^ b.at(i).unicode());
    return difference == 0;
}

QString MakeToken()
{
    std::array<quint32, kTokenWords> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    QString token;
    for (const quint32 word : words)
        token += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    return token;
}

} // namespace

// Sends a file's bytes as the socket takes them, a piece at a time, so a large file is
// never held in memory whole. It lives as a child of the socket: a client that goes away
// takes it, and the file, along. When the file is sent it closes the connection, which
// the reply announced.
class TFilePump final : public QObject
{
public:
    TFilePump(std::unique_ptr<QFile> file, qint64 length, QTcpSocket *socket)
        : QObject(socket), m_file(std::move(file)), m_remaining(length), m_socket(socket)
    {
        connect(socket, &QTcpSocket::bytesWritten, this, &TFilePump::Pump);
        Pump();
    }

private:
    static constexpr qint64 kPiece = 64 * 1024;

    void Pump()
    {
        while (m_remaining > 0 && m_socket->bytesToWrite() < 4 * kPiece) {
            const QByteArray piece = m_file->read(std::min(kPiece, m_remaining));
            if (piece.isEmpty()) {
                // The file shrank or could not be read on: the client must not take the
                // bytes it has as the whole file, so the connection is dropped.
                m_socket->abort();
                return;
            }
            m_socket->write(piece);
            m_remaining -= piece.size();
        }
        if (m_remaining == 0) {
            disconnect(m_socket, nullptr, this, nullptr);
            m_socket->disconnectFromHost();
            deleteLater();
        }
    }

    std::unique_ptr<QFile> m_file;
    qint64 m_remaining;
    QTcpSocket *m_socket;
};

// The HTTP side: Qt's server parses the requests, this class answers them.
class TPreviewHttp final : public QAbstractHttpServer
{
public:
    explicit TPreviewHttp(const TPreviewServer &owner) : m_owner(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        if (socket->isOpen())
            Answer(request, makeResponder(request, socket));
        return true;
    }

    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        if (socket->isOpen())
            Refuse(makeResponder(request, socket), Status::NotFound, request.method() == QHttpServerRequest::Method::Head);
    }

private:
    void Answer(const QHttpServerRequest &request, QHttpServerResponder &&responder) const
    {
        const auto method = request.method();
        const bool head = method == QHttpServerRequest::Method::Head;
        // A page of another site that has its name resolve to 127.0.0.1 sends its own
        // host name here; only the address we hand out is answered.
        const QByteArray expectedHost = "127.0.0.1:" + QByteArray::number(m_owner.Port());
        if (request.value("Host").compare(expectedHost, Qt::CaseInsensitive) != 0)
            return Refuse(std::move(responder), Status::Forbidden, head);
        if (method != QHttpServerRequest::Method::Get && !head)
            return Refuse(std::move(responder), Status::MethodNotAllowed, head);

        const QString path = m_owner.FileForPath(request.url().path(QUrl::FullyEncoded).toLatin1());
        if (path.isEmpty())
            return Refuse(std::move(responder), Status::NotFound, head);
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly))
            return Refuse(std::move(responder), Status::NotFound, head);

        // Qt's own streaming reply may write to a socket that is already gone when the
        // client leaves early (a browser does so whenever the user moves on), so the body
        // goes out through the pump instead. One file per connection keeps the pump the
        // only writer on its socket; connections on the loopback interface are cheap.
        const qint64 length = file->size();
        responder.writeStatusLine(Status::Ok);
        responder.writeHeaders({{"Content-Type", TPreviewServer::ContentTypeOf(path)}, {"Content-Length", QByteArray::number(length)}});
        if (!head)
            responder.writeHeader("Connection", "close");
        WriteCommonHeaders(responder);
        responder.writeBody(QByteArray());
        if (!head)
            new TFilePump(std::move(file), length, responder.socket());
    }

    static void WriteCommonHeaders(QHttpServerResponder &responder)
    {
        // A second preview must show the files it has just written, never the browser's
        // copy of the first.
        responder.writeHeaders({{"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}});
    }

    static void Refuse(QHttpServerResponder &&responder, Status status, bool head)
    {
        QByteArray text;
        switch (status) {
        case Status::Forbidden:
            text = "Forbidden\n";
            break;
        case Status::MethodNotAllowed:
            text = "Method not allowed\n";
            break;
        default:
            text = "Not found\n";
            break;
        }
        responder.writeStatusLine(status);
        responder.writeHeaders({{"Content-Type", "text/plain; charset=utf-8"}, {"Content-Length", QByteArray::number(text.size())}});
        if (status == Status::MethodNotAllowed)
            responder.writeHeader("Allow", "GET, HEAD");
        WriteCommonHeaders(responder);
        responder.writeBody(head ? QByteArray() : text);
    }

    const TPreviewServer &m_owner;
};

TPreviewServer::TPreviewServer(QObject *parent) : QObject(parent)
{}

TPreviewServer::~TPreviewServer() = default;

bool TPreviewServer::EnsureStarted()
{
    if (IsStarted())
        return true;
    auto http = std::make_unique<TPreviewHttp>(*this);
    const quint16 port = http->listen(QHostAddress::LocalHost, 0);
    if (port == 0)
        return false;
    m_token = MakeToken();
    m_http = std::move(http);
    m_port = port;
    return true;
}

QHostAddress TPreviewServer::Address() const
{
    if (!m_http)
        return {};
    const QList<QTcpServer *> servers = m_http->servers();
    return servers.isEmpty() ? QHostAddress() : servers.first()->serverAddress();
}

QString TPreviewServer::Publish(const QString &name, const QString &folder)
{
    if (!IsPlainSegment(name) || folder.isEmpty())
        return {};
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    m_folders.insert(name, absolute);
    return absolute;
}

QUrl TPreviewServer::AddressOf(const QString &name, const QString &fileName) const
{
    const auto segments = PlainSegments(fileName);
    if (!IsStarted() || !m_folders.contains(name) || !segments)
        return {};
    QByteArray path = '/' + m_token.toLatin1() + '/' + QUrl::toPercentEncoding(name);
    for (const QString &segment : *segments)
        path += '/' + QUrl::toPercentEncoding(segment);
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_port);
    url.setPath(QString::fromLatin1(path), QUrl::StrictMode);
    return url;
}

QString TPreviewServer::FileForPath(const QByteArray &encodedPath) const
{
    // "/TOKEN/NAME/a/b": every name decoded on its own, so an encoded slash or dot
    // cannot make a separator or a step up.
    QList<QByteArray> raw = encodedPath.split('/');
    if (raw.size() < 4 || !raw.first().isEmpty())
        return {};
    QStringList segments;
    for (qsizetype i = 1; i < raw.size(); ++i) {
        const QString segment = QUrl::fromPercentEncoding(raw.at(i));
        if (!IsPlainSegment(segment))
            return {};
        segments << segment;
    }
    if (!SameToken(segments.takeFirst(), m_token))
        return {};
    const auto folder = m_folders.constFind(segments.takeFirst());
    if (folder == m_folders.constEnd())
        return {};

    // Resolving every link, the file must still lie inside the folder.
    const QString root = QFileInfo(*folder).canonicalFilePath();
    if (root.isEmpty())
        return {};
    const QString target = QFileInfo(root + QLatin1Char('/') + segments.join(QLatin1Char('/'))).canonicalFilePath();
    const QString inside = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    if (target.isEmpty() || !target.startsWith(inside, kPathCase) || !QFileInfo(target).isFile())
        return {};
    return target;
}

QByteArray TPreviewServer::ContentTypeOf(const QString &fileName)
{
    static const QMap<QString, QByteArray> types = {
        {QStringLiteral("html"), "text/html"},
        {QStringLiteral("htm"), "text/html"},
        {QStringLiteral("xml"), "application/xml"},
        {QStringLiteral("js"), "text/javascript"},
        {QStringLiteral("css"), "text/css"},
        {QStringLiteral("jpg"), "image/jpeg"},
        {QStringLiteral("jpeg"), "image/jpeg"},
        {QStringLiteral("gif"), "image/gif"},
        {QStringLiteral("bmp"), "image/bmp"},
        {QStringLiteral("png"), "image/png"},
        {QStringLiteral("webp"), "image/webp"},
        {QStringLiteral("svg"), "image/svg+xml"},
        {QStringLiteral("swf"), "application/x-shockwave-flash"},
        {QStringLiteral("txt"), "text/plain"},
    };
    return types.value(QFileInfo(fileName).suffix().toLower(), "application/octet-stream");
}
