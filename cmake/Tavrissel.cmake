# Shared helpers for tests and benchmarks.

set(TAVRISSEL_TEST_HOME ${CMAKE_BINARY_DIR}/test-home)
file(MAKE_DIRECTORY ${TAVRISSEL_TEST_HOME})

# tavrissel_test_fonts(<var>): sets var to a fontconfig file that shows only the fonts of the
# packages in scripts/test-fonts.txt, so that a machine with more fonts tests what a fresh one
# does. Each package's font files, as dpkg lists them, are linked into one folder of the build
# tree. Empty, with a warning, where the packages cannot be listed.
function(tavrissel_test_fonts var)
    set(${var} "" PARENT_SCOPE)
    set(list_file ${CMAKE_SOURCE_DIR}/scripts/test-fonts.txt)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
    file(STRINGS ${list_file} packages REGEX "^[^#\t ]")
    find_program(TAVRISSEL_DPKG_QUERY dpkg-query)
    if(NOT TAVRISSEL_DPKG_QUERY)
        message(WARNING "No dpkg-query to list the test fonts: the tests see every font.")
        return()
    endif()
    set(dir ${CMAKE_BINARY_DIR}/test-fonts)
    file(REMOVE_RECURSE ${dir})
    foreach(package ${packages})
        execute_process(COMMAND ${TAVRISSEL_DPKG_QUERY} -L ${package}
                        OUTPUT_VARIABLE files RESULT_VARIABLE failed ERROR_QUIET)
        if(failed)
            message(WARNING "Font package ${package} is missing (scripts/install-deps.sh "
                            "installs it): the tests see every font.")
            return()
        endif()
        execute_process(COMMAND ${TAVRISSEL_DPKG_QUERY} --control-path ${package} list
                        OUTPUT_VARIABLE control OUTPUT_STRIP_TRAILING_WHITESPACE)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${control})
        string(REPLACE "\n" ";" files "${files}")
        foreach(file ${files})
            if(file MATCHES "\\.(ttf|otf|ttc|otc|pfb|pfa|pcf|pcf\\.gz)$")
                get_filename_component(name ${file} NAME)
                file(MAKE_DIRECTORY ${dir}/${package})
                file(CREATE_LINK ${file} ${dir}/${package}/${name} SYMBOLIC)
            endif()
        endforeach()
    endforeach()
    set(TEST_FONTS_DIR ${dir})
    set(TEST_FONTS_CACHE ${CMAKE_BINARY_DIR}/test-fonts-cache)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/test-fonts.conf.in ${CMAKE_BINARY_DIR}/test-fonts.conf
                   @ONLY)
    set(${var} ${CMAKE_BINARY_DIR}/test-fonts.conf PARENT_SCOPE)
endfunction()

tavrissel_test_fonts(TAVRISSEL_TEST_FONTS)

# Tests never touch the user's real settings, never need a display and see only the fonts that
# scripts/install-deps.sh installs.
set(TAVRISSEL_TEST_ENV
    QT_QPA_PLATFORM=offscreen
    XDG_CONFIG_HOME=${TAVRISSEL_TEST_HOME}/config
    HOME=${TAVRISSEL_TEST_HOME}
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
    LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)
if(TAVRISSEL_TEST_FONTS)
    list(APPEND TAVRISSEL_TEST_ENV FONTCONFIG_FILE=${TAVRISSEL_TEST_FONTS})
endif()

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
