target_sources(wavecrest_system PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Win32CommandLine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32DesktopSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32FileSystem.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32FoldCase.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32ProcessStarter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32Registry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32TerminationSignals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Win32Text.cpp
)
# advapi32: the registry; shlwapi: the file list order.
target_link_libraries(wavecrest_system PUBLIC advapi32 shlwapi)
# No min/max macros and no rarely used headers from windows.h anywhere.
target_compile_definitions(wavecrest_system PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
