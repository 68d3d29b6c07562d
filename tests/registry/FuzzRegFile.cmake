# A libFuzzer target over the registry file parser, built with clang whatever
# compiler builds the rest, with the sanitizers and the standard library's own
# bounds checks, and run by CTest for a bounded time from an empty corpus (the
# dictionary of the format's words lets it reach past the header within
# seconds). Left out quietly where clang or its fuzzer runtime
# (libclang-rt-14-dev) is missing.
option(WAVECREST_FUZZ "Build and run the registry file fuzz target when clang can" ON)
if(NOT WAVECREST_FUZZ OR WIN32 OR CMAKE_CROSSCOMPILING)
    return()
endif()
find_program(WAVECREST_FUZZ_CXX NAMES clang++ clang++-14 DOC "clang for fuzz targets")
if(NOT WAVECREST_FUZZ_CXX)
    message(STATUS "Registry file fuzzing: no clang++, left out")
    return()
endif()

set(flags -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
          -D_GLIBCXX_ASSERTIONS)
if(NOT DEFINED WAVECREST_FUZZ_WORKS)
    set(probe ${CMAKE_CURRENT_BINARY_DIR}/fuzz_probe)
    file(WRITE ${probe}.cpp
         "#include <cstddef>\n#include <cstdint>\nextern \"C\" int LLVMFuzzerTestOneInput("
         "const std::uint8_t*, std::size_t) { return 0; }\n")
    execute_process(COMMAND ${WAVECREST_FUZZ_CXX} ${flags} ${probe}.cpp -o ${probe}
                    RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    string(COMPARE EQUAL "${result}" 0 works)
    set(WAVECREST_FUZZ_WORKS ${works} CACHE INTERNAL "clang can build fuzz targets")
endif()
if(NOT WAVECREST_FUZZ_WORKS)
    message(STATUS "Registry file fuzzing: clang cannot link -fsanitize=fuzzer, left out")
    return()
endif()

set(fuzzer ${CMAKE_BINARY_DIR}/tests/fuzz_regfile)
set(sources ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_regfile.cpp ${PROJECT_SOURCE_DIR}/platform/RegFile.cpp
            ${PROJECT_SOURCE_DIR}/platform/Utf8.cpp)
add_custom_command(OUTPUT ${fuzzer}
    COMMAND ${WAVECREST_FUZZ_CXX} ${flags} -I${PROJECT_SOURCE_DIR} ${sources} -o ${fuzzer}
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/platform/RegFile.h
    COMMENT "Building the registry file fuzz target with clang" VERBATIM)
add_custom_target(fuzz_regfile ALL DEPENDS ${fuzzer})

# Each run starts from an empty corpus in the build folder.
set(corpus ${CMAKE_CURRENT_BINARY_DIR}/fuzz_corpus)
add_test(NAME fuzz_regfile
         COMMAND sh -c "rm -rf \"$1\" && mkdir \"$1\" && shift && exec \"$@\"" fuzz
                 ${corpus} ${fuzzer} ${corpus} -dict=${CMAKE_CURRENT_SOURCE_DIR}/regfile.dict
                 -max_total_time=60 -timeout=10 -rss_limit_mb=2048 -max_len=8192)
set_tests_properties(fuzz_regfile PROPERTIES TIMEOUT 180)
