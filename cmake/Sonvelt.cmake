# sonvelt_library(<target> SOURCES ... [DEPS ...])
# A folder's static library; its headers are included by path from the tree root,
# e.g. #include "framework/pins/OWPins.h".
function(sonvelt_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS} Threads::Threads)
  if(SONVELT_UNITY_LIBS)
    # At the end of the folder's CMakeLists.txt, once its source properties are set (the
    # EVAL puts the name in now: a deferred call's arguments are read when it runs).
    cmake_language(EVAL CODE "cmake_language(DEFER CALL sonvelt_unity_library [[${target}]])")
  endif()
endfunction()

# sonvelt_unity_library(<target>)
# With SONVELT_UNITY_LIBS, a library's sources are compiled SONVELT_UNITY_LIBS_BATCH at a
# time as one translation unit: most of a library file's compile time is reading and
# instantiating the headers it shares with its neighbours (Qt, the framework's), and each
# of scripts/test's three builds compiles every library. CMake's own UNITY_BUILD would
# include the files by absolute path, which makes the compiler cache's key depend on
# where the tree was cloned; these files include them by their path from the tree root.
# Left on their own: files with options of their own (e.g. -O3), and files marked
# SKIP_UNITY_BUILD_INCLUSION, which clash with a neighbour or need a generator to see them.
function(sonvelt_unity_library target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(automoc ${target} AUTOMOC)
  set(batch "")
  set(index 0)
  set(headers "")
  foreach(src IN LISTS sources ITEMS "") # the empty item closes the last batch
    if(src MATCHES "\\.cpp$")
      get_source_file_property(skip ${src} SKIP_UNITY_BUILD_INCLUSION)
      get_source_file_property(options ${src} COMPILE_OPTIONS)
      get_source_file_property(definitions ${src} COMPILE_DEFINITIONS)
      if(NOT skip AND NOT options AND NOT definitions)
        list(APPEND batch ${src})
      endif()
    endif()
    list(LENGTH batch count)
    if(count EQUAL SONVELT_UNITY_LIBS_BATCH OR (src STREQUAL "" AND count GREATER 1))
      file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
      set(text "// Generated: a batch of the library's sources compiled as one (cmake/Sonvelt.cmake).\n")
      foreach(member IN LISTS batch)
        string(APPEND text "#include \"${folder}/${member}\"\n")
        # The moc scans a library's headers through its sources; these are no longer
        # compiled, so it is given their headers.
        get_filename_component(base ${member} NAME_WE)
        if(automoc AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${base}.h)
          list(APPEND headers ${base}.h)
        endif()
      endforeach()
      set(unity ${CMAKE_CURRENT_BINARY_DIR}/${target}_unity_${index}.cpp)
      file(CONFIGURE OUTPUT ${unity} CONTENT "${text}" @ONLY)
      # As for the test groups: included files count as headers to GCC, which then warns
      # about classes with members of types from their file's anonymous namespace.
      set_source_files_properties(${unity} PROPERTIES COMPILE_OPTIONS -Wno-subobject-linkage)
      set_source_files_properties(${batch} PROPERTIES HEADER_FILE_ONLY ON)
      target_sources(${target} PRIVATE ${unity})
      math(EXPR index "${index} + 1")
      set(batch "")
    endif()
  endforeach()
  if(headers)
    target_sources(${target} PRIVATE ${headers})
  endif()
endfunction()

# sonvelt_test(<target> SOURCES ... [DEPS ...] [LABELS ...])
# One GoogleTest executable per folder. Tests labelled "tsan" also run in the
# thread-sanitizer build of scripts/test --sanitize.
function(sonvelt_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(SONVELT_UNITY_TESTS)
    sonvelt_unity_sources(${target} sources)
  endif()
  add_executable(${target} ${sources})
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

# sonvelt_unity_sources(<target> <sources variable>)
# With SONVELT_UNITY_TESTS, the files of one group of SONVELT_TEST_UNITY_GROUPS
# (cmake/TestUnityGroups.cmake) that <target> builds are compiled as one translation unit:
# the test files share most of their headers (GoogleTest, Qt, the folder's own), and
# reading and instantiating them once instead of once a file is most of the build's time.
# The generated file includes them by their path from the tree root, so its text, and
# the compiler cache's key, do not depend on where the tree was cloned. Files in no group
# are compiled on their own.
function(sonvelt_unity_sources target var)
  set(sources ${${var}})
  set(absolute "")
  foreach(src IN LISTS sources)
    get_filename_component(src ${src} ABSOLUTE)
    list(APPEND absolute ${src})
  endforeach()
  set(groups ${SONVELT_TEST_UNITY_GROUPS} GROUP) # the trailing marker closes the last group
  set(members "")
  set(index 0)
  foreach(item IN LISTS groups)
    if(NOT item STREQUAL "GROUP")
      list(FIND absolute ${PROJECT_SOURCE_DIR}/${item} at)
      if(at GREATER_EQUAL 0)
        list(APPEND members ${item})
      endif()
      continue()
    endif()
    list(LENGTH members count)
    if(count GREATER 1)
      set(text "// Generated: the tests of one unity group of cmake/TestUnityGroups.cmake.\n")
      foreach(member IN LISTS members)
        string(APPEND text "#include \"${member}\"\n")
        list(FIND absolute ${PROJECT_SOURCE_DIR}/${member} at)
        list(REMOVE_AT absolute ${at})
        list(REMOVE_AT sources ${at})
      endforeach()
      set(unity ${CMAKE_CURRENT_BINARY_DIR}/${target}_unity_${index}.cpp)
      file(CONFIGURE OUTPUT ${unity} CONTENT "${text}" @ONLY)
      # GCC takes the included files for headers and warns that their fixtures, in
      # anonymous namespaces, are bases of the test classes; in a file of its own that is
      # no warning, and each test file is one.
      set_source_files_properties(${unity} PROPERTIES COMPILE_OPTIONS -Wno-subobject-linkage)
      list(APPEND sources ${unity})
      list(APPEND absolute ${unity})
      math(EXPR index "${index} + 1")
    endif()
    set(members "")
  endforeach()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
