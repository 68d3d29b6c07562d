target_sources(wavecrest_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Controls.h
    ${CMAKE_CURRENT_LIST_DIR}/Form.h
    ${CMAKE_CURRENT_LIST_DIR}/QtFileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PanePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaneWait.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtMsgBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtShell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtWebDialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RealServices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StationSite.h
    ${CMAKE_CURRENT_LIST_DIR}/UiTimer.h
    ${CMAKE_CURRENT_LIST_DIR}/WebBrowser.h
    ${CMAKE_CURRENT_LIST_DIR}/WebDownloads.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebEngineBrowser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WebPageAnswers.cpp
)
