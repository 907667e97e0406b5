# Build helpers shared by every module: warnings, sanitizers, tests, benchmarks
# and fuzz targets.

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
pkg_check_modules(PUGIXML REQUIRED IMPORTED_TARGET pugixml)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)
pkg_check_modules(PANGOCAIRO REQUIRED IMPORTED_TARGET pangocairo cairo)
include(GoogleTest)

set(KH_APP_DIR "${CMAKE_BINARY_DIR}/Kestrelhaven.app")
set(KH_CONTENTS "${KH_APP_DIR}/Contents")

if(KH_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(KH_FUZZ)
    # Any finding of either sanitizer ends the run, so the fuzz script fails on it.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
    add_custom_target(fuzz)
endif()

# Our own code builds warning-free. Warnings stop the build only where asked (CI does), so that a
# compiler's false alarm never fails a user's build.
option(KH_WERROR "Treat warnings as errors" OFF)
set(kh_warning_options -Wall -Wextra)
if(KH_WERROR)
    list(APPEND kh_warning_options -Werror)
endif()
# g++ from 12 on reports overlapping copies inside std::string's concatenation when it inlines it
# at -O2 and above: a known false alarm of that compiler that no code of ours can avoid.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
    list(APPEND kh_warning_options -Wno-restrict)
endif()
function(kh_warnings target)
    target_compile_options(${target} PRIVATE ${kh_warning_options})
endfunction()

# kh_library(name SOURCES ... [DEPS ...]): a module's library. Includes are written from the module's
# own folder ("menubar/LocalHTTP.h" inside menu-app), from macos/ for another module
# ("sample-bridge/Server.h"), or from macos/platform for the stand-ins (<Foundation/Bundle.h>).
function(kh_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/macos
                                              ${PROJECT_SOURCE_DIR}/macos/platform)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    kh_warnings(${name})
endfunction()

# kh_tests(name SOURCES ... [DEPS ...]): one GoogleTest program, each test registered with CTest.
function(kh_tests name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    if(KH_FUZZ)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock_main)
    kh_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# kh_benchmark(name SOURCES ... [DEPS ...]): a Google Benchmark program, built but not run by CTest.
function(kh_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    if(KH_FUZZ)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
    kh_warnings(${name})
endfunction()

# kh_fuzz(name SOURCE file [DEPS ...]): a libFuzzer target, only in a fuzz build. Its seed corpus,
# samples of what it parses, is the folder seeds/<name> beside the source; the build links it as
# fuzz-seeds/<name>, where scripts/test finds it.
function(kh_fuzz name)
    cmake_parse_arguments(ARG "" "SOURCE" "DEPS" ${ARGN})
    if(NOT KH_FUZZ)
        return()
    endif()
    get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SOURCE}" DIRECTORY)
    set(seeds "${folder}/seeds/${name}")
    if(NOT IS_DIRECTORY "${seeds}")
        message(FATAL_ERROR "${name} has no seed corpus at ${seeds}")
    endif()
    file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz-seeds")
    file(CREATE_LINK "${seeds}" "${CMAKE_BINARY_DIR}/fuzz-seeds/${name}" SYMBOLIC)
    add_executable(${name} ${ARG_SOURCE})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
    kh_warnings(${name})
    add_dependencies(fuzz ${name})
endfunction()
