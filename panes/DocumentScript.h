#pragma once
// A script of ours that runs in each new document of a page, before the
// page's own scripts.
#include <QString>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace platform {

enum class InSubFrames { No, Yes };

inline void AddDocumentScript(QWebEnginePage* page, const QString& name, const QString& source,
                              quint32 world, InSubFrames subFrames = InSubFrames::No) {
    QWebEngineScript script;
    script.setName(name);
    script.setSourceCode(source);
    script.setWorldId(world);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setRunsOnSubFrames(subFrames == InSubFrames::Yes);
    page->scripts().insert(script);
}

} // namespace platform
