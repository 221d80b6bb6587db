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
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set(props TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
