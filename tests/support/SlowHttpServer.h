#pragma once
// A small HTTP server on 127.0.0.1 for web pane tests. Each path is a page
// with a title; a page can answer after a delay, so a test can watch it load.
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

class SlowHttpServer : public QTcpServer {
public:
    struct Page {
        QString title;
        int delayMs = 0;
    };

    SlowHttpServer() {
        connect(this, &QTcpServer::newConnection, this, &SlowHttpServer::answerNew);
        listen(QHostAddress::LocalHost, 0);
    }
    void addPage(const QString& path, const QString& title, int delayMs = 0) {
        pages_.insert(path, {title, delayMs});
    }
    QString address(const QString& path) const {
        return QString("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }
    int requests(const QString& path) const { return requests_.value(path); }

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
        const Page page = pages_.value(path, {QString(), -1});
        auto reply = [socket, page] {
            const bool found = page.delayMs >= 0;
            const QByteArray body =
                found ? "<html><head><title>" + page.title.toUtf8() +
                            "</title></head><body><p>page</p></body></html>"
                      : QByteArray("<html><head><title>Not found</title></head></html>");
            socket->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                          QByteArray("Content-Type: text/html; charset=utf-8\r\n"
                                     "Cache-Control: no-store\r\nConnection: close\r\n"
                                     "Content-Length: ") +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        };
        QTimer::singleShot(std::max(page.delayMs, 0), socket, reply);
    }
    QHash<QString, Page> pages_;
    QHash<QString, int> requests_;
};
