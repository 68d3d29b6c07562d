#pragma once
// The artwork a page names for what it plays, fetched by the pane itself
// and handed to the desktop as a private file: the desktop never gets an
// address the page wrote, nor fetches anything on its behalf.
// The fetch goes through the pane's own profile (its proxy, its cache, no
// cookies and no credentials) from a page of ours on the artwork's site,
// and is refused unless it is:
// - an http or https address on the page's own site, or on the web (not
//   this machine nor a private network, as far as the address tells);
// - answered at once with an image (not SVG, which may hold scripts) of at
//   most 1 MB, within a few seconds; redirects are refused.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <memory>

class QWebEnginePage;
class QWebEngineProfile;

namespace platform {

class ArtworkFetcher : public QObject {
    Q_OBJECT
public:
    ArtworkFetcher(QWebEngineProfile* profile, QObject* parent);
    ~ArtworkFetcher() override;

    // The page at `pageAddress` now names `address` (empty: none). The file
    // of what it named before goes at once.
    void Follow(const QUrl& address, const QUrl& pageAddress);
    // The file of the artwork named now, empty until it is fetched.
    QUrl File() const { return file_; }

    // Whether a page at `pageAddress` may have `address` fetched.
    static bool Allowed(const QUrl& address, const QUrl& pageAddress);
    static constexpr int kMaxBytes = 1024 * 1024;
    static constexpr int kTimeoutMs = 5000;
    static constexpr int kLeastGapMs = 2000;

Q_SIGNALS:
    // An artwork arrived: File() names it.
    void changed();

private:
    void startNext();
    void start(const QUrl& address);
    void read();
    void keep(const QVariant& answer);
    void endFetch();
    void forgetFile();

    QWebEngineProfile* profile_;
    QUrl named_;                       // what the page names, as it wrote it
    QUrl wanted_;                      // what is to be fetched next, if allowed
    QUrl file_;                        // where its bytes are kept
    QPointer<QWebEnginePage> fetcher_; // our page on the artwork's site
    QTimer giveUp_;
    QTimer next_; // the next fetch, once the last is far enough behind
    QElapsedTimer lastStart_;
    std::unique_ptr<QTemporaryDir> folder_; // private to the user, gone at exit
    int kept_ = 0;                          // files written, for their names
};

} // namespace platform
