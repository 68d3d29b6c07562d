#pragma once
// Which pane's player the desktop's media controls show.
#include "MediaControls.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

namespace platform {

class PageMediaReader;
class PanePage;

// Follows every pane and shows the desktop the one that plays (the one that
// started playing last if two do), else the one that played last, else the
// first. The desktop's Raise brings the panes' window to the front.
class MediaPublisher : public QObject {
public:
    explicit MediaPublisher(std::unique_ptr<MediaControls> controls);
    ~MediaPublisher() override;
    void Follow(PanePage* page);

private:
    PageMediaReader* shown() const;
    void showCurrent();
    void raise();

    std::unique_ptr<MediaControls> controls_;
    QList<QPointer<PageMediaReader>> panes_;
    QPointer<PageMediaReader> lastPlaying_;
};

} // namespace platform
