#pragma once
// A small HTTP server on 127.0.0.1 for web pane tests. Each path is a page
// with a title; a page can answer after a delay, so a test can watch it load,
// carry a script or markup, be a file to download, or need a Basic login. A
// file can be cut off after some bytes (the connection closes short of the
// length announced) or stall there. The server can go down and come back
// on the same port, as a station does.
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

class SlowHttpServer : public QTcpServer {
public:
    struct Page {
        Page(QString withTitle = {}, int withDelayMs = 0, QByteArray withBody = {},
             QByteArray withHeaders = {}, QByteArray withLogin = {}, int withCutAfter = -1,
             bool withStall = false)
            : title(std::move(withTitle)), delayMs(withDelayMs), body(std::move(withBody)),
              headers(std::move(withHeaders)), login(std::move(withLogin)), cutAfter(withCutAfter),
              stall(withStall) {}
        QString title;
        int delayMs = 0;
        QByteArray body;             // inside <body>, or the whole file when `headers` say so
        QByteArray headers;          // more response headers
        QByteArray login;            // "user:password" the page needs, if any
        int cutAfter = -1;           // bytes of the body sent before the connection ends (-1: all)
        bool stall = false;          // the connection then stays open, sending nothing more
        QByteArray realm = "Studio"; // the login's realm
    };

    SlowHttpServer() {
        connect(this, &QTcpServer::newConnection, this, &SlowHttpServer::answerNew);
        listen(QHostAddress::LocalHost, 0);
    }
    void addPage(const QString& path, const Page& page) { pages_.insert(path, page); }
    QString address(const QString& path) const {
        return QString("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    int requests(const QString& path) const { return requests_.value(path); }
    // The newest request for `path`, as it came: its line and headers.
    QByteArray lastRequest(const QString& path) const { return lastRequests_.value(path); }
    // The station goes down (nothing listens) and comes back on its port.
    void goDown() {
        port_ = serverPort();
        close();
    }
    bool comeBack() { return listen(QHostAddress::LocalHost, port_); }

private:
    void answerNew() {
        while (QTcpSocket* socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }
    void answer(QTcpSocket* socket) {
        const QByteArray request = socket->readAll();
        const QList<QByteArray> words = request.split(' ');
        if (words.size() < 2)
            return;
        const QString path = QUrl(QString::fromLatin1(words[1])).path();
        requests_[path] += 1;
        lastRequests_[path] = request;
        Page page = pages_.value(path, {"Not found", 0, {}, {}, {}});
        QByteArray status = pages_.contains(path) ? "200 OK" : "404 Not Found";
        if (!page.login.isEmpty() &&
            !request.contains("Authorization: Basic " + page.login.toBase64())) {
            status = "401 Unauthorized";
            page = {
                "Refused", 0, {}, "WWW-Authenticate: Basic realm=\"" + page.realm + "\"\r\n", {}};
        }
        auto reply = [socket, page, status] {
            if (!socket->isOpen())
                return;
            // A file to download, or one that says what it is, goes as it is.
            const bool raw =
                page.headers.contains("attachment") || page.headers.contains("Content-Type");
            const QByteArray body =
                raw ? page.body
                    : "<html><head><title>" + page.title.toUtf8() + "</title></head><body>" +
                          (page.body.isEmpty() ? "<p>page</p>" : page.body) + "</body></html>";
            const QByteArray sent = page.cutAfter < 0 ? body : body.left(page.cutAfter);
            socket->write("HTTP/1.1 " + status + "\r\n" + page.headers +
                          (page.headers.contains("Content-Type")
                               ? ""
                               : "Content-Type: text/html; charset=utf-8\r\n") +
                          "Cache-Control: no-store\r\nConnection: close\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + sent);
            if (!page.stall)
                socket->disconnectFromHost();
        };
        QTimer::singleShot(std::max(page.delayMs, 0), socket, reply);
    }
    QHash<QString, Page> pages_;
    QHash<QString, int> requests_;
    QHash<QString, QByteArray> lastRequests_;
    quint16 port_ = 0;
};
