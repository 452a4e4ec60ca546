# Shared helpers for tests and benchmarks.

set(TAVRISSEL_TEST_HOME ${CMAKE_BINARY_DIR}/test-home)
file(MAKE_DIRECTORY ${TAVRISSEL_TEST_HOME})

# Tests never touch the user's real settings and never need a display.
set(TAVRISSEL_TEST_ENV
    QT_QPA_PLATFORM=offscreen
    XDG_CONFIG_HOME=${TAVRISSEL_TEST_HOME}/config
    HOME=${TAVRISSEL_TEST_HOME}
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
    LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)

include(GoogleTest)

# tavrissel_gtest(<name> SOURCES ... LIBS ...): a GoogleTest program, each case a CTest test.
function(tavrissel_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        PROPERTIES ENVIRONMENT "${TAVRISSEL_TEST_ENV}" TIMEOUT 300)
endfunction()

# tavrissel_qtest(<name> SOURCES ... LIBS ...): a Qt Test program, run headless as one CTest test.
function(tavrissel_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
    # Where tests find the sample files, whatever path the compiler was given.
    target_compile_definitions(${name} PRIVATE TAVRISSEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TAVRISSEL_TEST_ENV}" TIMEOUT 300)
endfunction()

# tavrissel_benchmark(<name> SOURCES ... LIBS ...): built with everything, never run by CTest.
function(tavrissel_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
