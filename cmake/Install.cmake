# The release folder: one self-contained, user-writable application folder.
# The staging folder "temp" is made beside the program at run time, so the
# folder belongs under the user's home, e.g.
#   cmake --install build --prefix ~/Applications/Wavecrest
# Everything lies at the folder's top, where the program and its FTP
# client look for each other and for their files.
set(CMAKE_INSTALL_BINDIR .)
set(WAVECREST_DESKTOP_EXEC Wavecrest)
set(desktop_id ${WAVECREST_DESKTOP_ID})
configure_file(resources/${desktop_id}.desktop.in ${CMAKE_BINARY_DIR}/${desktop_id}.desktop @ONLY)
configure_file(resources/${desktop_id}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${desktop_id}.metainfo.xml @ONLY)

install(TARGETS Wavecrest RUNTIME DESTINATION .)
if(TARGET wavecrest_ftp)
    # The client and its transcript window module, which it loads from beside itself.
    install(TARGETS wavecrest_ftp RUNTIME DESTINATION .)
    install(TARGETS wavecrest_ftp_window LIBRARY DESTINATION .)
endif()
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/sendfiles.ftps DESTINATION .)
if(NOT WIN32)
    install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/wavecrest.reg DESTINATION .)
    install(FILES ${CMAKE_BINARY_DIR}/${desktop_id}.desktop
                  ${CMAKE_BINARY_DIR}/${desktop_id}.metainfo.xml DESTINATION .)
    install(PROGRAMS scripts/register-desktop.sh DESTINATION .)
endif()
install(FILES resources/icons/wavecrest.svg resources/icons/wavecrest.ico
              resources/icons/wavecrest-16.png resources/icons/wavecrest-32.png
              resources/icons/wavecrest-48.png resources/icons/wavecrest-256.png
        DESTINATION icons)
install(FILES README.md DESTINATION .)

# A .tar.gz of that folder.
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME ${WAVECREST_TITLE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME ${WAVECREST_TITLE}-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${WAVECREST_TITLE})
include(CPack)
