# quorvane_core_sources(<file>...)
#   Adds sources of src/data, src/fit or src/lsq to the one static core library.
#
# quorvane_add_test(<name> SOURCES <file>... [LIBS <lib>...] [QT])
#   One test executable registered with CTest. Without QT it links GoogleTest's
#   main; with QT it is a QtTest program run under the offscreen platform.

set(QUORVANE_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

function(quorvane_add_test name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${QUORVANE_ROOT}/src ${QUORVANE_ROOT}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    if(ARG_QT)
        target_link_libraries(${name} PRIVATE Qt6::Test)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUORVANE_SOURCE_DIR=${QUORVANE_ROOT}")
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "QUORVANE_SOURCE_DIR=${QUORVANE_ROOT}")
    endif()
endfunction()
