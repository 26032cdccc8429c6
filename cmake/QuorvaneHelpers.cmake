# The build's one set of helpers: the layers' libraries, the tests and the
# fuzz targets.
#
# quorvane_add_library(<name> LAYER <folder> [PRIVATE <lib>...] [PUBLIC <lib>...] [QT])
#   A static library of the layer in src/<folder>; the folder's CMakeLists.txt
#   adds its sources with target_sources(<name> PRIVATE ...). Every header is
#   included as "layer/file.h", and the library's one include root,
#   <build>/layers/<name>, holds links to src/<folder> and to the folders of
#   the Quorvane libraries it links, directly or through them, and to nothing
#   else: a source can include its own layer and the layers below it, and an
#   include of a layer above fails to compile (in a header, when a source of
#   the header's own layer includes it, as each source includes its own header
#   first). Linking a Quorvane library not defined yet is a configuration
#   error, so the libraries are defined bottom up (data, lsq, fit, ...) and
#   no link points upwards either. The root is PUBLIC (it holds nothing above
#   the library, so nothing above a consumer); the links are PRIVATE unless
#   the library's headers need what the linked library brings (Qt's and
#   QCustomPlot's headers). QT runs moc on the sources.
#
# quorvane_add_test(<name> SOURCES <file>... [LIBS <lib>...] [QT])
#   One test executable registered with CTest; it may include every layer
#   (src/ and the generated headers) and the test support (tests/). Without
#   QT it links GoogleTest's main; with QT it is a QtTest program run under
#   the offscreen platform. QUORVANE_SOURCE_DIR in its environment names the
#   source tree.
#
# quorvane_add_tool(<name> SOURCES <file>... [LIBS <lib>...])
#   A program of tools/, beside the tests but not one (the documentation's
#   pictures, the exhaustive checks of the exponential and of erfc), seeing
#   what a test sees. Built by default so that it keeps building, except in a
#   sanitized tree, which would only build it again without running it.
#
# quorvane_add_fuzz_target(<name> [LIBS <lib>...])
#   The libFuzzer program fuzz/<name>.cpp, linked with the shared syntax
#   reference of fuzz/ and LIBS (quorvane_data if none are given), and built
#   by the target quorvane_fuzz_targets. fuzz/CMakeLists.txt writes the names
#   to <build>/fuzz/targets.txt, the list scripts/fuzz.sh runs, each on its
#   committed seed corpus fuzz/corpus/<name>, which must exist.

get_filename_component(QUORVANE_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
# Headers generated into the build tree ("data/version.h").
set(QUORVANE_GENERATED_ROOT ${PROJECT_BINARY_DIR}/generated)

function(quorvane_add_library name)
    cmake_parse_arguments(ARG "QT" "LAYER" "PRIVATE;PUBLIC" ${ARGN})
    add_library(${name} STATIC)
    target_link_libraries(${name} PRIVATE ${ARG_PRIVATE} PUBLIC ${ARG_PUBLIC})

    set(layers ${ARG_LAYER})
    foreach(lib IN LISTS ARG_PRIVATE ARG_PUBLIC)
        if(TARGET ${lib})
            get_target_property(below ${lib} QUORVANE_LAYERS)
            if(below)
                list(APPEND layers ${below})
            endif()
        elseif(lib MATCHES "^quorvane_")
            message(FATAL_ERROR "${name} links ${lib}, which is not defined yet: a library "
                                "links only the layers defined before it, below it.")
        endif()
    endforeach()
    list(REMOVE_DUPLICATES layers)

    # Links are made anew at each configuration; file(REMOVE) deletes a link,
    # never what it points to.
    set(root ${PROJECT_BINARY_DIR}/layers/${name})
    file(MAKE_DIRECTORY ${root})
    file(GLOB stale LIST_DIRECTORIES true ${root}/*)
    if(stale)
        file(REMOVE ${stale})
    endif()
    foreach(layer IN LISTS layers)
        file(CREATE_LINK ${QUORVANE_ROOT}/src/${layer} ${root}/${layer} SYMBOLIC)
    endforeach()

    target_include_directories(${name} PUBLIC ${root})
    set_target_properties(${name} PROPERTIES QUORVANE_LAYERS "${layers}")
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
endfunction()

# A program of tests/ or tools/ that sees every layer, the generated headers and the
# test support.
function(quorvane_test_side_program name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${QUORVANE_ROOT}/src ${QUORVANE_GENERATED_ROOT}
                                               ${QUORVANE_ROOT}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

function(quorvane_add_test name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    quorvane_test_side_program(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set(environment "QUORVANE_SOURCE_DIR=${QUORVANE_ROOT}")
    if(ARG_QT)
        target_link_libraries(${name} PRIVATE Qt6::Test)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        list(APPEND environment "QT_QPA_PLATFORM=offscreen")
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}")
endfunction()

function(quorvane_add_tool name)
    quorvane_test_side_program(${name} ${ARGN})
    if(QUORVANE_SANITIZE)
        set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
    endif()
endfunction()

function(quorvane_add_fuzz_target name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    if(NOT ARG_LIBS)
        set(ARG_LIBS quorvane_data)
    endif()
    if(NOT IS_DIRECTORY ${QUORVANE_ROOT}/fuzz/corpus/${name})
        message(FATAL_ERROR "The fuzz target ${name} has no seed corpus fuzz/corpus/${name}.")
    endif()
    add_executable(${name} ${QUORVANE_ROOT}/fuzz/${name}.cpp)
    target_link_libraries(${name} PRIVATE quorvane_fuzz_support ${ARG_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(quorvane_fuzz_targets ${name})
    set_property(GLOBAL APPEND PROPERTY QUORVANE_FUZZ_TARGETS ${name})
endfunction()
