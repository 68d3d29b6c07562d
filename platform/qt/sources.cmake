target_sources(wavecrest_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Controls.h
    ${CMAKE_CURRENT_LIST_DIR}/Diagnostics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Form.h
    ${CMAKE_CURRENT_LIST_DIR}/MediaControls.h
    ${CMAKE_CURRENT_LIST_DIR}/MenuBarKeys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QtFileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageGarbage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaneMedia.cpp
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

# The desktop's media controls: on Linux desktops an MPRIS player of our own
# (it names our desktop entry); elsewhere the engine's own stay.
if(UNIX AND NOT APPLE)
    find_package(Qt6 REQUIRED COMPONENTS DBus)
    target_sources(wavecrest_gui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/linux/MprisMediaControls.cpp)
    target_link_libraries(wavecrest_gui PUBLIC Qt6::DBus)
else()
    target_sources(wavecrest_gui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MediaControlsFallback.cpp)
endif()
