# Compiles the program's resource script with the MinGW resource compiler,
# reads the result back and checks the version block and the icon group.
#   cmake -DWINDRES=... -DRC=wavecrest.rc -DOUT=dir -P CheckResource.cmake
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${WINDRES} -i ${RC} -O res -o ${OUT}/wavecrest.res
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${WINDRES} -i ${OUT}/wavecrest.res -O rc OUTPUT_VARIABLE script
                COMMAND_ERROR_IS_FATAL ANY)

set(missing "")
foreach(expected
        "FILEVERSION 1, 0, 0, 0" "PRODUCTVERSION 1, 0, 0, 0"
        "VALUE \"Comments\", \"Stand-Alone radio show Program\""
        "VALUE \"FileDescription\", \"Stand-Alone radio show Program\""
        "VALUE \"FileVersion\", \"1.00\"" "VALUE \"ProductVersion\", \"1.00\""
        "VALUE \"ProductName\", \"Wavecrest\"" "VALUE \"InternalName\", \"Wavecrest\""
        "VALUE \"OriginalFilename\", \"Wavecrest.exe\"")
    string(FIND "${script}" "${expected}" at)
    if(at EQUAL -1)
        list(APPEND missing "${expected}")
    endif()
endforeach()

# The icon group, its images from the checked-in wavecrest.ico.
if(NOT script MATCHES "GROUP_ICON|ICON")
    list(APPEND missing "the icon group")
endif()

if(missing)
    string(REPLACE ";" "\n  " missing "${missing}")
    message(FATAL_ERROR "The compiled resource lacks:\n  ${missing}\nIt reads:\n${script}")
endif()
message(STATUS "Resource well-formed: version 1.0.0.0 (\"1.00\") and the icon group")
