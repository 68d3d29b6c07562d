# A libFuzzer target over the script reader and interpreter, built with the
# clang that the registry file fuzz target found, and run by CTest for a
# bounded time. Left out quietly where that target is left out.
if(NOT WAVECREST_FUZZ OR NOT WAVECREST_FUZZ_WORKS OR WIN32 OR CMAKE_CROSSCOMPILING)
    return()
endif()

set(flags -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
          -D_GLIBCXX_ASSERTIONS)
set(fuzzer ${CMAKE_BINARY_DIR}/tests/fuzz_ftpscript)
set(sources ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_ftpscript.cpp
            ${PROJECT_SOURCE_DIR}/ftp/Interpreter.cpp ${PROJECT_SOURCE_DIR}/ftp/Transfers.cpp
            ${PROJECT_SOURCE_DIR}/ftp/LocalFiles.cpp
            ${PROJECT_SOURCE_DIR}/ftp/Options.cpp ${PROJECT_SOURCE_DIR}/ftp/Transcript.cpp
            ${PROJECT_SOURCE_DIR}/platform/Wildcard.cpp ${PROJECT_SOURCE_DIR}/platform/Utf8.cpp
            ${PROJECT_SOURCE_DIR}/platform/posix/PosixFoldCase.cpp)
file(GLOB headers ${PROJECT_SOURCE_DIR}/ftp/*.h)
add_custom_command(OUTPUT ${fuzzer}
    COMMAND ${WAVECREST_FUZZ_CXX} ${flags} -I${PROJECT_SOURCE_DIR} -I${PROJECT_SOURCE_DIR}/ftp
            ${sources} -o ${fuzzer}
    DEPENDS ${sources} ${headers}
    COMMENT "Building the ftp script fuzz target with clang" VERBATIM)
add_custom_target(fuzz_ftpscript ALL DEPENDS ${fuzzer})

# New inputs go to the build folder's corpus; the checked-in seeds are only read.
set(corpus ${CMAKE_CURRENT_BINARY_DIR}/fuzz_corpus)
file(MAKE_DIRECTORY ${corpus})
add_test(NAME fuzz_ftpscript
         COMMAND ${fuzzer} ${corpus} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_seeds
                 -max_total_time=20 -timeout=10 -rss_limit_mb=2048 -max_len=4096)
set_tests_properties(fuzz_ftpscript PROPERTIES TIMEOUT 120)
