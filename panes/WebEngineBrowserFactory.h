#pragma once
// Makes the panes' web browser components on Qt WebEngine. Every pane it
// makes answers what its page asks (new windows, downloads, logins,
// permissions) through the one set of dialogs given here, and shows what
// plays in it on the desktop's media controls.
#include "WebDialogs.h"
#include "panes/WebBrowser.h"
#include "panes/media/MediaControls.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace platform {

class MediaPublisher;
class WebPageAnswers;

class WebEngineBrowserFactory : public WebBrowserFactory {
public:
    using MediaControlsMaker = std::function<std::unique_ptr<MediaControls>()>;
    explicit WebEngineBrowserFactory(WebDialogs& dialogs,
                                     MediaControlsMaker makeMediaControls = MakeMediaControls);
    ~WebEngineBrowserFactory() override;
    WebBrowser* Create(QWidget* parent) override;

private:
    WebDialogs& dialogs_;
    MediaControlsMaker makeMediaControls_;
    std::unique_ptr<WebPageAnswers> answers_; // made with the first pane, after the application
    // What plays, for the desktop: it goes with the application, before the
    // session bus it is published on.
    QPointer<MediaPublisher> media_;
};

} // namespace platform
