# Shared compile settings and helpers for every Quillon target.

add_library(quillon_warnings INTERFACE)
target_compile_options(quillon_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Wformat=2)
if(QUILLON_WERROR)
  target_compile_options(quillon_warnings INTERFACE -Werror)
endif()

# A fuzzing build instruments every library for coverage, so the fuzzers see into them.
if(QUILLON_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUILLON_SANITIZE)
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# quillon_library(name [QT] SOURCES ... [DEPS ...])
# A library of one source folder. QT marks a library of the Qt layer; those are skipped in a
# core-only build.
function(quillon_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_QT AND QUILLON_CORE_ONLY)
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE quillon_warnings)
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# quillon_test(name [QT] [LABELS ...] SOURCES ... DEPS ...)
# One GoogleTest executable; each test case becomes a CTest test.
function(quillon_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS;LABELS" ${ARGN})
  if(ARG_QT AND QUILLON_CORE_ONLY)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main
                                        quillon_warnings)
  target_compile_definitions(${name} PRIVATE
    QUILLON_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    QUILLON_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # One label per test: the discovery script cannot take a list. Tests of the Qt-free core are
  # "core" (the sanitizer build runs those), Qt tests "qt", unless the test names its own.
  if(ARG_LABELS)
    list(GET ARG_LABELS 0 labels)
  elseif(ARG_QT)
    set(labels qt)
  else()
    set(labels core)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES LABELS ${labels} ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
