#pragma once
// A browser component that records the calls the panes make and whose busy
// flag and title the test sets. A navigation can be made to fail.
#include "platform/Failure.h"
#include "platform/qt/WebBrowser.h"

#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class FakeWebBrowser : public platform::WebBrowser {
public:
    explicit FakeWebBrowser(QWidget* parent) : widget_(new QWidget(parent)) {}
    void Navigate(const QString& address) override {
        calls << "Navigate:" + address;
        if (failNavigate)
            throw platform::Failure(-2147467259, "Navigation refused");
        busy = true;
    }
    void Refresh() override { calls << "Refresh"; }
    void Stop() override {
        calls << "Stop";
        busy = false;
    }
    bool Busy() const override { return busy; }
    QString LocationName() const override { return title; }
    QWidget* widget() override { return widget_; }

    QStringList calls;
    bool busy = false;
    bool failNavigate = false;
    QString title;

private:
    QWidget* widget_;
};

// Makes fake browsers and keeps them in creation order (player, then chat).
class FakeWebBrowserFactory : public platform::WebBrowserFactory {
public:
    platform::WebBrowser* Create(QWidget* parent) override {
        made.push_back(std::make_unique<FakeWebBrowser>(parent));
        return made.back().get();
    }
    FakeWebBrowser& player() { return *made.at(made.size() - 2); }
    FakeWebBrowser& chat() { return *made.at(made.size() - 1); }
    std::vector<std::unique_ptr<FakeWebBrowser>> made;
};
