#include "WebEngineBrowserFactory.h"

#include "WebEngineBrowser.h"
#include "WebEngineSetup.h"
#include "WebPageAnswers.h"
#include "panes/media/MediaPublisher.h"

#include <QApplication>

namespace platform {

WebEngineBrowserFactory::WebEngineBrowserFactory(WebDialogs& dialogs,
                                                 MediaControlsMaker makeMediaControls)
    : dialogs_(dialogs), makeMediaControls_(std::move(makeMediaControls)) {}

WebEngineBrowserFactory::~WebEngineBrowserFactory() {
    delete media_.data();
}

WebBrowser* WebEngineBrowserFactory::Create(QWidget* parent) {
    if (!answers_) {
        answers_ = std::make_unique<WebPageAnswers>(dialogs_, SharedWebProfile());
        media_ = new MediaPublisher(makeMediaControls_());
        media_->setParent(qApp);
    }
    auto* browser = new WebEngineBrowser(parent, *answers_);
    media_->Follow(browser->panePage());
    return browser;
}

} // namespace platform
