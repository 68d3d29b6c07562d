#pragma once
// Browser components that write every call the panes make into one log
// shared by both panes, so the order across panes shows. The test sets the
// busy flag and title, and can make every call fail.
#include "core/Failure.h"
#include "panes/WebBrowser.h"

#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

class FakeWebBrowser : public platform::WebBrowser {
public:
    FakeWebBrowser(QWidget* parent, QString pane, QStringList& log)
        : widget_(new QWidget(parent)), pane_(std::move(pane)), log_(log) {
        widget_->setFocusPolicy(Qt::StrongFocus); // as a web view takes the focus
    }
    void Navigate(const QString& address) override {
        record("Navigate:" + address);
        busy = true;
    }
    void Refresh() override { record("Refresh"); }
    void Stop() override {
        record("Stop");
        busy = false;
    }
    bool Busy() const override { return failing ? throw platform::Failure(5, "Gone") : busy; }
    QString LocationName() const override { return title; }
    QWidget* widget() override { return widget_; }

    bool busy = false;
    bool failing = false;
    QString title;

private:
    void record(const QString& call) {
        log_ << pane_ + " " + call;
        if (failing)
            throw platform::Failure(-2147467259, "Navigation refused");
    }
    QWidget* widget_;
    QString pane_;
    QStringList& log_;
};

// Makes fake browsers in creation order: the player pane's, then the chat pane's.
class FakeWebBrowserFactory : public platform::WebBrowserFactory {
public:
    platform::WebBrowser* Create(QWidget* parent) override {
        made.push_back(
            std::make_unique<FakeWebBrowser>(parent, made.size() % 2 ? "chat" : "player", log));
        return made.back().get();
    }
    FakeWebBrowser& player() { return *made.at(made.size() - 2); }
    FakeWebBrowser& chat() { return *made.at(made.size() - 1); }
    QStringList log;
    std::vector<std::unique_ptr<FakeWebBrowser>> made;
};
