# wavecrest.rc in the build folder: the version resource and the icon of the
# Windows program, from the project's version (1.0.0 gives 1,0,0,0 and the
# text "1.00": the minor number with two digits).
set(WAVECREST_RC_VERSION
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
set(minor "0${PROJECT_VERSION_MINOR}")
string(LENGTH "${minor}" length)
math(EXPR start "${length} - 2")
string(SUBSTRING "${minor}" ${start} 2 minor)
set(WAVECREST_RC_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor}")

# The icon group (16, 32 and 48 pixels) where the icon file is there.
set(icon ${PROJECT_SOURCE_DIR}/resources/icons/wavecrest.ico)
if(EXISTS ${icon})
    set(WAVECREST_RC_ICON "1 ICON \"${icon}\"")
else()
    set(WAVECREST_RC_ICON "// no application icon yet")
endif()
configure_file(${PROJECT_SOURCE_DIR}/app/wavecrest.rc.in ${CMAKE_BINARY_DIR}/wavecrest.rc @ONLY)
