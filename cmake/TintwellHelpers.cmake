# Warning flags shared by every target of the project.
function(tintwell_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual)
    if(TINTWELL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# tintwell_add_library(NAME SOURCES ... LIBS ... [QT])
# A static library of one subsystem, with the alias tintwell::NAME.
function(tintwell_add_library name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    add_library(tintwell::${name} ALIAS ${name})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    tintwell_target_warnings(${name})
endfunction()

# tintwell_add_test(NAME SOURCES ... LIBS ... LABELS ... [PROPERTIES ...] [RUNS_PROGRAM] [RUNS_TEST_WINDOW])
# One GoogleTest executable; every test in it becomes a ctest test carrying LABELS and the extra
# ctest PROPERTIES (for example RESOURCE_LOCK for tests that take the X server for themselves).
# Headers shared by tests are included as "support/...". RUNS_PROGRAM and RUNS_TEST_WINDOW give
# the paths of the tintwell program and of the stand-in application window as TINTWELL_BINARY and
# TINTWELL_TEST_WINDOW, and build them first.
function(tintwell_add_test name)
    cmake_parse_arguments(ARG "RUNS_PROGRAM;RUNS_TEST_WINDOW" "" "SOURCES;LIBS;LABELS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    if(ARG_RUNS_PROGRAM)
        target_compile_definitions(${name} PRIVATE TINTWELL_BINARY="$<TARGET_FILE:tintwell>")
        add_dependencies(${name} tintwell)
    endif()
    if(ARG_RUNS_TEST_WINDOW)
        target_compile_definitions(${name} PRIVATE TINTWELL_TEST_WINDOW="$<TARGET_FILE:tintwell_test_window>")
        add_dependencies(${name} tintwell_test_window)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    tintwell_target_warnings(${name})
    # Tests on the shared test X server change its monitors, ramps, focus and screen saver: one at a time.
    if("x11" IN_LIST ARG_LABELS)
        list(APPEND ARG_PROPERTIES RESOURCE_LOCK x11-session)
    endif()
    gtest_discover_tests(${name} PROPERTIES LABELS "${ARG_LABELS}" ${ARG_PROPERTIES} DISCOVERY_TIMEOUT 30)
endfunction()
