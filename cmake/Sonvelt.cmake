# sonvelt_library(<target> SOURCES ... [DEPS ...])
# A folder's static library; its headers are included by path from the tree root,
# e.g. #include "framework/pins/OWPins.h".
function(sonvelt_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} Threads::Threads)
endfunction()

# sonvelt_test(<target> SOURCES ... [DEPS ...] [LABELS ...])
# One GoogleTest executable per folder. Tests labelled "tsan" also run in the
# thread-sanitizer build of scripts/test --sanitize.
function(sonvelt_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  foreach(src IN LISTS ARG_SOURCES)
    get_filename_component(src ${src} ABSOLUTE)
    set_property(GLOBAL APPEND PROPERTY SONVELT_TEST_SOURCES ${src})
  endforeach()
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set(props TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# sonvelt_test_folder(<prefix> SOURCES ... [SUPPORT ...] DEPS ...)
# A test folder's executables: *ThreadsTest.cpp files form <prefix>_threads_tests, which
# also runs under the thread sanitizer (label tsan); each *ProcessTest.cpp gets an
# executable <prefix>_<file name> of its own, for tests that need a process to themselves
# (alsa-lib's configuration, killing a recording child); the rest form <prefix>_tests.
# SUPPORT sources are linked into every one of them.
function(sonvelt_test_folder prefix)
  cmake_parse_arguments(ARG "" "" "SOURCES;SUPPORT;DEPS" ${ARGN})
  set(plain ${ARG_SOURCES})
  set(threads ${ARG_SOURCES})
  set(process ${ARG_SOURCES})
  list(FILTER plain EXCLUDE REGEX "(Threads|Process)Test\\.cpp$")
  list(FILTER threads INCLUDE REGEX "ThreadsTest\\.cpp$")
  list(FILTER process INCLUDE REGEX "ProcessTest\\.cpp$")
  if(plain)
    sonvelt_test(${prefix}_tests SOURCES ${plain} ${ARG_SUPPORT} DEPS ${ARG_DEPS})
  endif()
  if(threads)
    sonvelt_test(${prefix}_threads_tests SOURCES ${threads} ${ARG_SUPPORT} DEPS ${ARG_DEPS} LABELS tsan)
  endif()
  foreach(src IN LISTS process)
    get_filename_component(name ${src} NAME_WE)
    sonvelt_test(${prefix}_${name} SOURCES ${src} ${ARG_SUPPORT} DEPS ${ARG_DEPS})
  endforeach()
endfunction()

# sonvelt_check_test_sources()
# Fails the configuration when a *Test.cpp under tests/ is in no test executable, so a
# test file left out of its folder's source list cannot go silently unbuilt.
function(sonvelt_check_test_sources)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*Test.cpp)
  get_property(built GLOBAL PROPERTY SONVELT_TEST_SOURCES)
  list(REMOVE_ITEM found ${built})
  if(found)
    list(JOIN found "\n  " missing)
    message(FATAL_ERROR "These test files are in no test executable; add them to the SOURCES "
                        "of their folder's CMakeLists.txt:\n  ${missing}")
  endif()
endfunction()
