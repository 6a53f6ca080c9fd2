# Helpers shared by every folder's CMakeLists.txt.

# Our own code builds without warnings. Development builds (the presets, so scripts/build and
# CI) turn them into errors with VELMORA_WERROR; a plain configure, as a packager runs it, does
# not, so a newer compiler's new warning cannot break a distribution build.
function(velmora_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    # GCC 12 at -O3 (Release) reports overlapping copies inside libstdc++'s own std::string
    # code wherever a string is built from a literal and another string (GCC bug 105329,
    # fixed in GCC 13): a false positive from the library, not our code, so only GCC 12's
    # Release builds are told to keep quiet about it.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
       AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-Wno-restrict>)
    endif()
    if(VELMORA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A library of one layer: velmora_library(NAME SOURCES ... DEPS ...).
# Public include root is src/, so code includes "engine/base/status.h".
function(velmora_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    velmora_warnings(${name})
endfunction()

# A GoogleTest executable registered with CTest:
# velmora_test(NAME SOURCES ... DEPS ... [LABELS ...]).
# Its main takes the C library's locale from the environment, as the Qt program does; the
# suites of the engine, the core and the Qt front end carry the label "german", and the test
# preset of that name runs them again under de_DE.UTF-8.
function(velmora_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} velmora_test_main GTest::gtest)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    if(folder MATCHES "^(engine|core|qt)(/|$)")
        list(APPEND ARG_LABELS german)
    endif()
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    velmora_warnings(${name})
    # A suite's files share most of what they include (GoogleTest, the engine, the test
    # support), and parsing that again for every file was over half of the whole build's time:
    # eight files are compiled as one unit. So two files of a suite cannot both define a helper
    # of one name: a helper that several need lives in a header beside them.
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
    if(CMAKE_CROSSCOMPILING)
        # Under an emulator (Wine) every start of a program costs far more than on the host, so
        # a suite runs as one test, its failed cases named in its output.
        add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                             PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()

# Adds a folder only once it has a CMakeLists.txt, so layers can arrive one by one.
macro(velmora_optional_subdirectory dir)
    if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endmacro()
