# Shared settings for every hilo target.

# Every target we build ourselves warns alike. Warnings stop the build only where developers and CI
# ask for it (HILO_WERROR, set by their presets): a newer compiler, or a distribution's own flags,
# must not keep a player from building the game.
option(HILO_WERROR "Treat compiler warnings as errors" OFF)
add_library(hilo_warnings INTERFACE)
target_compile_options(hilo_warnings INTERFACE -Wall -Wextra -Wpedantic $<$<BOOL:${HILO_WERROR}>:-Werror>)

# hilo_add_library(NAME SOURCES... [DEPENDS libs...])
# A static library whose headers are included as "dir/file.h" from the source root.
function(hilo_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE hilo_warnings)
endfunction()

# hilo_add_test(NAME SOURCES... [DEPENDS libs...])
# A GoogleTest executable whose cases are each registered with ctest. A case run once per value is
# named by the value's own name, as the test gives it, not by its printed bytes.
function(hilo_add_test name)
  if(NOT HILO_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main hilo_warnings)
  gtest_discover_tests(${name} NO_PRETTY_VALUES DISCOVERY_TIMEOUT 30)
endfunction()

# hilo_add_fuzzer(NAME SOURCES... [DEPENDS libs...])
# A libFuzzer target, built only when HILO_BUILD_FUZZERS is on (the fuzz preset). The preset
# instruments every target for coverage and sanitizers; only the fuzzer links libFuzzer's main.
function(hilo_add_fuzzer name)
  if(NOT HILO_BUILD_FUZZERS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} hilo_warnings)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  # The fuzz target's own checks are not the game: leaving them out of the coverage keeps the
  # fuzzer's attention, and its time, on the game's code. They stay under the sanitizers.
  target_compile_options(${name} PRIVATE -fno-sanitize=fuzzer-no-link)
endfunction()
