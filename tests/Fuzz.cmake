# libFuzzer targets, built with clang whatever compiler builds the rest, with
# the sanitizers and the standard library's own bounds checks, and run by
# CTest for a bounded time, each run from an empty corpus in the build folder.
# Left out quietly where clang or its fuzzer runtime (libclang-rt-14-dev) is
# missing.
option(WAVECREST_FUZZ "Build and run the fuzz targets when clang can" ON)
set(WAVECREST_FUZZ_FLAGS -std=c++20 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined
                         -fno-sanitize-recover=all -D_GLIBCXX_ASSERTIONS)
if(WAVECREST_FUZZ AND NOT WIN32 AND NOT CMAKE_CROSSCOMPILING)
    find_program(WAVECREST_FUZZ_CXX NAMES clang++ clang++-14 DOC "clang for fuzz targets")
endif()
if(WAVECREST_FUZZ_CXX AND NOT DEFINED WAVECREST_FUZZ_WORKS)
    set(probe ${CMAKE_CURRENT_BINARY_DIR}/fuzz_probe)
    file(WRITE ${probe}.cpp
         "#include <cstddef>\n#include <cstdint>\nextern \"C\" int LLVMFuzzerTestOneInput("
         "const std::uint8_t*, std::size_t) { return 0; }\n")
    execute_process(COMMAND ${WAVECREST_FUZZ_CXX} ${WAVECREST_FUZZ_FLAGS} ${probe}.cpp -o ${probe}
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    string(COMPARE EQUAL "${result}" 0 works)
    set(WAVECREST_FUZZ_WORKS ${works} CACHE INTERNAL "clang can build fuzz targets")
endif()

# wavecrest_add_fuzz_test(NAME SECONDS n SOURCES... [DEPENDS...] [ARGS...]):
# ARGS go to the fuzzer after the corpus (seed folders, -dict=, limits).
function(wavecrest_add_fuzz_test name)
    cmake_parse_arguments(F "" "SECONDS" "SOURCES;DEPENDS;ARGS" ${ARGN})
    if(NOT WAVECREST_FUZZ_WORKS)
        message(STATUS "${name}: no clang++ that links -fsanitize=fuzzer, left out")
        return()
    endif()
    set(fuzzer ${CMAKE_BINARY_DIR}/tests/${name})
    add_custom_command(OUTPUT ${fuzzer}
        COMMAND ${WAVECREST_FUZZ_CXX} ${WAVECREST_FUZZ_FLAGS} -I${PROJECT_SOURCE_DIR}
                ${F_SOURCES} -o ${fuzzer}
        DEPENDS ${F_SOURCES} ${F_DEPENDS}
        COMMENT "Building the fuzz target ${name} with clang" VERBATIM)
    add_custom_target(${name} ALL DEPENDS ${fuzzer})
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
    add_test(NAME ${name}
             COMMAND sh -c "rm -rf \"$1\" && mkdir \"$1\" && shift && exec \"$@\"" fuzz
                     ${corpus} ${fuzzer} ${corpus} ${F_ARGS} -max_total_time=${F_SECONDS}
                     -timeout=10 -rss_limit_mb=2048)
    math(EXPR limit "${F_SECONDS} * 2 + 60")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${limit})
endfunction()
