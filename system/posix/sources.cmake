target_sources(wavecrest_system PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PosixCommandLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixDesktopSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileMark.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderLock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PartFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixFileSystem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixFoldCase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixProcessStarter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixTerminationSignals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProcessPaths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegFileRegistry.cpp
)
