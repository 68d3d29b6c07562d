# The script reader and interpreter against a connection that only records;
# the checked-in seeds are only read.
file(GLOB ftp_headers ${PROJECT_SOURCE_DIR}/ftp/*.h ${PROJECT_SOURCE_DIR}/ftp/curl/*.h)
wavecrest_add_fuzz_test(fuzz_ftpscript SECONDS 20
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_ftpscript.cpp ${WAVECREST_FTP_CLIENT_SOURCES}
            ${PROJECT_SOURCE_DIR}/system/Wildcard.cpp ${PROJECT_SOURCE_DIR}/core/Utf8.cpp
            ${PROJECT_SOURCE_DIR}/system/posix/FolderLock.cpp
            ${PROJECT_SOURCE_DIR}/system/posix/FileMark.cpp
            ${PROJECT_SOURCE_DIR}/system/posix/PosixFoldCase.cpp
    DEPENDS ${ftp_headers}
    ARGS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_seeds -max_len=4096)
