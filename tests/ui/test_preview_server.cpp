// The loopback server that shows previews and samples, spoken to over real HTTP: with
// the network manager a browser-like client uses, and with a bare socket for requests
// a well-behaved client would never send (raw "..", encoded slashes, foreign hosts).
#include "ui/PreviewServer.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 5000;

struct HttpReply
{
    int status = 0;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

// Splits the replies found in `data`; a HEAD reply carries no body whatever its length says.
bool TakeReply(QByteArray &data, bool head, HttpReply &reply)
{
    const qsizetype end = data.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = data.left(end).split('\n');
    HttpReply parsed;
    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    parsed.status = statusLine.size() > 1 ? statusLine.at(1).toInt() : -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            parsed.headers.insert(lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed());
    }
    const qsizetype length = head ? 0 : parsed.headers.value("content-length", "0").toLongLong();
    if (data.size() < end + 4 + length)
        return false;
    parsed.body = data.mid(end + 4, length);
    data.remove(0, end + 4 + length);
    reply = parsed;
    return true;
}

// Sends raw requests on one connection, each once the reply to the one before has come,
// as a browser does. A reply that does not come within the wait has status 0.
QList<HttpReply> Exchange(quint16 port, const QList<QByteArray> &requests)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QByteArray data;
    QList<HttpReply> replies;
    for (const QByteArray &request : requests) {
        socket.write(request);
        HttpReply reply;
        const bool head = request.startsWith("HEAD ");
        (void)QTest::qWaitFor(
            [&] {
                data += socket.readAll();
                return TakeReply(data, head, reply) || socket.state() == QAbstractSocket::UnconnectedState;
            },
            kWaitMs);
        replies << reply;
    }
    return replies;
}

HttpReply Request(quint16 port, const QByteArray &method, const QByteArray &target, const QByteArray &host)
{
    QByteArray request = method + ' ' + target + " HTTP/1.1\r\n";
    if (!host.isNull())
        request += "Host: " + host + "\r\n";
    request += "Connection: close\r\n\r\n";
    return Exchange(port, {request}).first();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// A preview folder and a samples folder, with a secret file beside them that links inside
// the preview folder point at.
class PreviewServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        preview = root.filePath(QStringLiteral("Preview"));
        samples = root.filePath(QStringLiteral("samples"));
        picture.resize(300 * 1024);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(picture.data()), picture.size() / 4);

        WriteFile(preview + QStringLiteral("/~preview.html"), "<html>preview</html>");
        WriteFile(preview + QStringLiteral("/galleryconfig.xml"), "<?xml version=\"1.0\"?><config/>");
        WriteFile(preview + QStringLiteral("/swfobject.js"), "var player;");
        WriteFile(preview + QStringLiteral("/foldreel.swf"), "FWS");
        WriteFile(preview + QStringLiteral("/p0_t.jpg"), picture);
        WriteFile(preview + QStringLiteral("/My Picture.JPG"), "jpeg");
        WriteFile(preview + QStringLiteral("/gallery.qmreel1"), "project");
        WriteFile(preview + QStringLiteral("/empty.txt"), "");
        WriteFile(preview + QStringLiteral("/sub/page.html"), "<html>sub</html>");
        WriteFile(samples + QStringLiteral("/index.html"), "<html>samples</html>");
        WriteFile(samples + QStringLiteral("/sample-fill/sample.html"), "<html>fill</html>");
        WriteFile(root.filePath(QStringLiteral("secret.txt")), "secret");
        QDir().mkpath(root.filePath(QStringLiteral("outside")));
        WriteFile(root.filePath(QStringLiteral("outside/secret.txt")), "secret");
        ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("secret.txt")), preview + QStringLiteral("/leak.txt")));
        ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("outside")), preview + QStringLiteral("/leakdir")));
        ASSERT_TRUE(QFile::link(preview + QStringLiteral("/~preview.html"), preview + QStringLiteral("/same.html")));

        ASSERT_TRUE(server.EnsureStarted());
        ASSERT_FALSE(server.Publish(QStringLiteral("preview"), preview).isEmpty());
        ASSERT_FALSE(server.Publish(QStringLiteral("samples"), samples).isEmpty());
        port = server.Port();
        host = "127.0.0.1:" + QByteArray::number(port);
        token = server.AddressOf(QStringLiteral("preview"), QStringLiteral("x")).path().section(QLatin1Char('/'), 1, 1).toLatin1();
    }

    QTemporaryDir root;
    QString preview;
    QString samples;
    QByteArray picture;
    TPreviewServer server;
    quint16 port = 0;
    QByteArray host;
    QByteArray token;
};

TEST_F(PreviewServerTest, ServesPublishedFilesWithTheirTypesAndNoCaching)
{
    struct Case
    {
        const char *folder;
        const char *file;
        QByteArray type;
        QByteArray body;
    };
    const QList<Case> cases = {
        {"preview", "~preview.html", "text/html", "<html>preview</html>"},
        {"preview", "galleryconfig.xml", "application/xml", "<?xml version=\"1.0\"?><config/>"},
        {"preview", "swfobject.js", "text/javascript", "var player;"},
        {"preview", "foldreel.swf", "application/x-shockwave-flash", "FWS"},
        {"preview", "p0_t.jpg", "image/jpeg", picture}, // far larger than one piece of the stream
        {"preview", "My Picture.JPG", "image/jpeg", "jpeg"},
        {"preview", "gallery.qmreel1", "application/octet-stream", "project"},
        {"preview", "empty.txt", "text/plain", ""},
        {"preview", "sub/page.html", "text/html", "<html>sub</html>"},
        {"preview", "same.html", "text/html", "<html>preview</html>"}, // a link that stays inside
        {"samples", "index.html", "text/html", "<html>samples</html>"},
        {"samples", "sample-fill/sample.html", "text/html", "<html>fill</html>"},
    };
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const QUrl url = server.AddressOf(QLatin1String(c.folder), QString::fromUtf8(c.file));
        ASSERT_TRUE(url.isValid());
        std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        ASSERT_TRUE(reply->isFinished() || finished.wait(kWaitMs));
        EXPECT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
        EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        EXPECT_EQ(reply->rawHeader("Content-Type"), c.type);
        EXPECT_EQ(reply->rawHeader("Cache-Control"), "no-store");
        EXPECT_EQ(reply->readAll(), c.body);
    }
}

TEST_F(PreviewServerTest, HeadTellsTheLengthWithoutABodyAndKeepsTheConnectionUsable)
{
    const QByteArray target = "/" + token + "/preview/p0_t.jpg";
    const QByteArray hostLine = " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
    const QList<HttpReply> replies =
        Exchange(port, {"HEAD " + target + hostLine, "HEAD /" + token + "/preview/missing.jpg" + hostLine, "GET " + target + hostLine});
    EXPECT_EQ(replies.at(0).status, 200);
    EXPECT_EQ(replies.at(0).headers.value("content-type"), "image/jpeg");
    EXPECT_EQ(replies.at(0).headers.value("content-length").toLongLong(), picture.size());
    EXPECT_EQ(replies.at(1).status, 404);
    // Had either HEAD reply carried a body, this one would be read from the middle of it.
    EXPECT_EQ(replies.at(2).status, 200);
    EXPECT_EQ(replies.at(2).body, picture);
}

TEST_F(PreviewServerTest, AClientLeavingInTheMiddleOfAFileLeavesTheServerWorking)
{
    // Larger than the socket buffers take at once, so the file is still being sent.
    QByteArray large(8 * 1024 * 1024, 'x');
    WriteFile(preview + QStringLiteral("/large.bmp"), large);
    for (int round = 0; round < 3; ++round) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.write("GET /" + token + "/preview/large.bmp HTTP/1.1\r\nHost: " + host + "\r\n\r\n");
        QSignalSpy readable(&socket, &QTcpSocket::readyRead);
        ASSERT_TRUE(readable.wait(kWaitMs));
        socket.abort();
        QTest::qWait(50);
    }
    const HttpReply reply = Request(port, "GET", "/" + token + "/preview/large.bmp", host);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.headers.value("content-type"), "image/bmp");
    EXPECT_EQ(reply.body.size(), large.size());
}

TEST_F(PreviewServerTest, RefusesEverythingButFilesInsideAPublishedFolder)
{
    struct Case
    {
        const char *what;
        QByteArray method;
        QByteArray target; // "TOKEN" stands for the server's token
        QByteArray host;   // "HOST" stands for the bound address
        int status;
    };
    const QList<Case> cases = {
        {"the page itself, for comparison", "GET", "/TOKEN/preview/~preview.html", "HOST", 200},
        {"wrong token", "GET", "/0123456789abcdef0123456789abcdef/preview/~preview.html", "HOST", 404},
        {"no token", "GET", "/preview/~preview.html", "HOST", 404},
        {"token with an extra character", "GET", "/TOKENa/preview/~preview.html", "HOST", 404},
        {"unpublished name", "GET", "/TOKEN/help/~preview.html", "HOST", 404},
        {"missing file", "GET", "/TOKEN/preview/missing.html", "HOST", 404},
        {"dot-dot", "GET", "/TOKEN/preview/../secret.txt", "HOST", 404},
        {"dot-dot below a folder", "GET", "/TOKEN/preview/sub/../../secret.txt", "HOST", 404},
        {"dot", "GET", "/TOKEN/preview/./~preview.html", "HOST", 404},
        {"encoded dot-dot", "GET", "/TOKEN/preview/%2e%2e/secret.txt", "HOST", 404},
        {"encoded dot-dot in capitals", "GET", "/TOKEN/preview/%2E%2E/secret.txt", "HOST", 404},
        {"encoded slash", "GET", "/TOKEN/preview/..%2fsecret.txt", "HOST", 404},
        {"encoded slash to a file inside", "GET", "/TOKEN/preview/sub%2Fpage.html", "HOST", 404},
        {"encoded backslash", "GET", "/TOKEN/preview/..%5csecret.txt", "HOST", 404},
        {"empty name", "GET", "/TOKEN/preview//~preview.html", "HOST", 404},
        {"encoded zero byte", "GET", "/TOKEN/preview/~preview.html%00.txt", "HOST", 404},
        {"link to a file outside", "GET", "/TOKEN/preview/leak.txt", "HOST", 404},
        {"link to a folder outside", "GET", "/TOKEN/preview/leakdir/secret.txt", "HOST", 404},
        {"directory", "GET", "/TOKEN/preview/sub", "HOST", 404},
        {"directory with a slash", "GET", "/TOKEN/preview/sub/", "HOST", 404},
        {"published folder itself", "GET", "/TOKEN/preview/", "HOST", 404},
        {"token alone", "GET", "/TOKEN/", "HOST", 404},
        {"foreign host", "GET", "/TOKEN/preview/~preview.html", "rebound.example:PORT", 403},
        {"localhost by name", "GET", "/TOKEN/preview/~preview.html", "localhost:PORT", 403},
        {"address without the port", "GET", "/TOKEN/preview/~preview.html", "127.0.0.1", 403},
        {"no host", "GET", "/TOKEN/preview/~preview.html", QByteArray(), 403},
        {"foreign host, HEAD", "HEAD", "/TOKEN/preview/~preview.html", "rebound.example", 403},
        {"POST", "POST", "/TOKEN/preview/~preview.html", "HOST", 405},
        {"PUT", "PUT", "/TOKEN/preview/~preview.html", "HOST", 405},
        {"DELETE", "DELETE", "/TOKEN/preview/~preview.html", "HOST", 405},
        {"OPTIONS", "OPTIONS", "/TOKEN/preview/~preview.html", "HOST", 405},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray target = c.target;
        target.replace("TOKEN", token);
        QByteArray hostHeader = c.host;
        if (!hostHeader.isNull())
            hostHeader.replace("HOST", host).replace("PORT", QByteArray::number(port));
        const HttpReply reply = Request(port, c.method, target, hostHeader);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_FALSE(reply.body.contains("secret"));
        EXPECT_EQ(reply.headers.value("cache-control"), "no-store");
        if (c.status == 405) {
            EXPECT_EQ(reply.headers.value("allow"), "GET, HEAD");
        }
    }
}

TEST_F(PreviewServerTest, ListensOnLoopbackOnlyAndStartsOnce)
{
    EXPECT_EQ(server.Address(), QHostAddress(QHostAddress::LocalHost));
    EXPECT_TRUE(server.EnsureStarted());
    EXPECT_EQ(server.Port(), port);

    const QUrl url = server.AddressOf(QStringLiteral("samples"), QStringLiteral("sample-fill/sample.html"));
    EXPECT_EQ(url.scheme(), QStringLiteral("http"));
    EXPECT_EQ(url.host(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(url.port(), port);
    EXPECT_EQ(url.path(), QStringLiteral("/%1/samples/sample-fill/sample.html").arg(QString::fromLatin1(token)));
    // At least 128 random bits, written in hexadecimal.
    EXPECT_GE(token.size(), 32);
    EXPECT_EQ(QByteArray::fromHex(token).toHex(), token);

    TPreviewServer other;
    EXPECT_FALSE(other.IsStarted());
    other.Publish(QStringLiteral("preview"), preview);
    EXPECT_TRUE(other.AddressOf(QStringLiteral("preview"), QStringLiteral("~preview.html")).isEmpty());
    ASSERT_TRUE(other.EnsureStarted());
    EXPECT_NE(other.Port(), port);
    EXPECT_NE(other.AddressOf(QStringLiteral("preview"), QStringLiteral("~preview.html")).path(),
              server.AddressOf(QStringLiteral("preview"), QStringLiteral("~preview.html")).path());
}

TEST_F(PreviewServerTest, AddressesOnlyPlainRelativePathsInPublishedFolders)
{
    EXPECT_EQ(server.AddressOf(QStringLiteral("preview"), QStringLiteral("My Picture.JPG")).toEncoded(),
              "http://" + host + "/" + token + "/preview/My%20Picture.JPG");
    for (const char *bad : {"", "../secret.txt", "sub/../x", "./x", "a//b", "/etc/passwd", "a\\b", "c:x", "sub/"})
        EXPECT_TRUE(server.AddressOf(QStringLiteral("preview"), QLatin1String(bad)).isEmpty()) << bad;
    EXPECT_TRUE(server.AddressOf(QStringLiteral("help"), QStringLiteral("index.html")).isEmpty());
    for (const char *bad : {"", ".", "..", "a/b", "a\\b"})
        EXPECT_TRUE(server.Publish(QLatin1String(bad), preview).isEmpty()) << bad;
}

TEST_F(PreviewServerTest, LooksFoldersUpAtEveryRequest)
{
    // The preview folder goes away at every clean-up and comes back with the next build.
    const QString later = root.filePath(QStringLiteral("Later"));
    server.Publish(QStringLiteral("preview"), later);
    const QByteArray target = "/" + token + "/preview/~preview.html";
    EXPECT_EQ(Request(port, "GET", target, host).status, 404);
    WriteFile(later + QStringLiteral("/~preview.html"), "<html>second</html>");
    HttpReply reply = Request(port, "GET", target, host);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "<html>second</html>");
    WriteFile(later + QStringLiteral("/~preview.html"), "<html>third</html>");
    EXPECT_EQ(Request(port, "GET", target, host).body, "<html>third</html>");
}

TEST(PreviewServer, StopsListeningWhenDestroyed)
{
    auto server = std::make_unique<TPreviewServer>();
    ASSERT_TRUE(server->EnsureStarted());
    const quint16 port = server->Port();
    server.reset();
    QTcpSocket socket;
    QSignalSpy failed(&socket, &QTcpSocket::errorOccurred);
    socket.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(failed.wait(kWaitMs));
    EXPECT_EQ(socket.error(), QAbstractSocket::ConnectionRefusedError);
}

} // namespace
