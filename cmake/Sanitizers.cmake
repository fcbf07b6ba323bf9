# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build: a
# second, slower configuration that CI builds in build-asan/ (scripts/harden.sh).
option(DIMMERLING_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(DIMMERLING_SANITIZE)
    set(dimmerling_sanitizers -fsanitize=address,undefined)
    # Any undefined behaviour ends the program, so a test cannot pass over it.
    add_compile_options(${dimmerling_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(${dimmerling_sanitizers})

    # The leak suppressions, without their comment lines, go into every program.
    set(suppressions_file ${PROJECT_SOURCE_DIR}/.lsan-suppressions)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${suppressions_file})
    file(STRINGS ${suppressions_file} suppressions REGEX "^[^#]")
    list(JOIN suppressions "\\n" dimmerling_lsan_suppressions)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/SanitizerDefaults.cpp.in SanitizerDefaults.cpp @ONLY)
    add_library(dimmerling_sanitizer_defaults OBJECT ${CMAKE_CURRENT_BINARY_DIR}/SanitizerDefaults.cpp)
    link_libraries(dimmerling_sanitizer_defaults)
endif()
