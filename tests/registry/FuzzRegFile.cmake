# The registry file parser, from an empty corpus: the dictionary of the
# format's words lets the fuzzer reach past the header within seconds.
wavecrest_add_fuzz_test(fuzz_regfile SECONDS 60
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_regfile.cpp ${PROJECT_SOURCE_DIR}/core/RegFile.cpp
            ${PROJECT_SOURCE_DIR}/core/Utf8.cpp
    DEPENDS ${PROJECT_SOURCE_DIR}/core/RegFile.h
    ARGS -dict=${CMAKE_CURRENT_SOURCE_DIR}/regfile.dict -max_len=8192)
