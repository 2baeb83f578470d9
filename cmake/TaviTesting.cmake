# How every test suite is registered, from the CMakeLists.txt of its own
# folder under tests/:
#
#   tavi_gtest_suite(NAME SOURCES ... LIBRARIES ... LABELS ... [DEFINITIONS ...]
#                    [DEPENDS ...] [ENVIRONMENT ...])
#     a GoogleTest program, each of its tests a ctest test
#   tavi_pytest_suite(NAME PATHS ... LABELS ... [LOADS_SANITIZED] [ENVIRONMENT ...]
#                     [ARGS ...] [PROPERTIES ...])
#     a pytest run, one ctest test; LOADS_SANITIZED where the Python process
#     itself loads the module, which under the sanitizers needs their
#     runtimes loaded first
#   tavi_script_test(NAME COMMAND ... LABELS ... [ENVIRONMENT ...] [PROPERTIES ...])
#     a script whose status says how it went (77: skipped), with only the
#     environment given
#
# Labels say what a test exercises, so a run can take a kind: `unit` (the
# module and the host's parts, in-process, quick), `command` (the tavi
# command and its window as a user runs them), `files` (files as other
# programs write them), `routes` (the C library, Python, GEGL, Blender),
# `install` (what installing leaves), `docs` (what the documentation
# shows), and `slow` beside any of them for a test of more than about ten
# seconds. `ctest -L unit` is the quick run.
#
# One test environment (TAVI_TEST_ENVIRONMENT) for everything that runs the
# command or the Python module from the build tree, with the sanitizers'
# settings where the build has them (TAVI_SANITIZER_PRELOAD and
# TAVI_FOREIGN_ASAN_OPTIONS, for a program of others that loads the
# module: python3, gegl, blender); and one Python for pytest
# (TAVI_TEST_PYTHON): the one the module is built for when it has pytest,
# numpy and OpenImageIO's bindings, else Debian's.
find_package(GTest REQUIRED)
include(GoogleTest)

set(TAVI_TEST_PYTHON "")
foreach(candidate IN ITEMS "${Python3_EXECUTABLE}" /usr/bin/python3)
  if(candidate AND EXISTS "${candidate}" AND NOT TAVI_TEST_PYTHON)
    execute_process(COMMAND "${candidate}" -c "import numpy, pytest, OpenImageIO"
      RESULT_VARIABLE tavi_test_python_missing OUTPUT_QUIET ERROR_QUIET)
    if(tavi_test_python_missing EQUAL 0)
      set(TAVI_TEST_PYTHON "${candidate}")
    endif()
  endif()
endforeach()
if(NOT TAVI_TEST_PYTHON)
  message(STATUS "No Python with numpy, pytest and OpenImageIO's bindings: the pytest suites are left out")
endif()

# The AddressSanitizer and UndefinedBehaviorSanitizer runtimes of the
# compiler in use: a sanitized shared object loaded into a program built
# without them (python3, gegl, blender) needs them loaded first.
set(TAVI_SANITIZER_PRELOAD "")
if(TAVI_SANITIZE)
  set(tavi_runtimes "")
  foreach(runtime IN ITEMS asan ubsan)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${runtime}.so
      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND tavi_runtimes "${path}")
  endforeach()
  string(REPLACE ";" ":" TAVI_SANITIZER_PRELOAD "${tavi_runtimes}")
endif()

set(TAVI_TEST_ENVIRONMENT
  "TAVI_EXE=$<TARGET_FILE:tavi>"
  "PYTHONPATH=${PROJECT_BINARY_DIR}/python"
  "PYTHONDONTWRITEBYTECODE=1"
  "TAVI_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
  "TAVI_BUILD_DIR=${PROJECT_BINARY_DIR}")
if(TAVI_SANITIZE)
  # Programs that load a sanitized module: the runtimes first, and their
  # own allocations at exit are not leaks of ours.
  set(TAVI_FOREIGN_ASAN_OPTIONS "allocator_may_return_null=1:detect_leaks=0")
  list(APPEND TAVI_TEST_ENVIRONMENT "TAVI_SANITIZED=1" "TAVI_SANITIZER_PRELOAD=${TAVI_SANITIZER_PRELOAD}"
    "TAVI_FOREIGN_ASAN_OPTIONS=${TAVI_FOREIGN_ASAN_OPTIONS}")
endif()

function(tavi_gtest_suite name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS;DEFINITIONS;DEPENDS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(ARG_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${ARG_DEFINITIONS})
  endif()
  if(ARG_DEPENDS)
    add_dependencies(${name} ${ARG_DEPENDS})
  endif()
  # The environment goes in through env as the tests' launcher:
  # gtest_discover_tests flattens its PROPERTIES, so an ENVIRONMENT there
  # keeps only its first variable and takes the others for property names.
  if(ARG_ENVIRONMENT)
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR env ${ARG_ENVIRONMENT})
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

function(tavi_pytest_suite name)
  cmake_parse_arguments(ARG "LOADS_SANITIZED" "" "PATHS;LABELS;ENVIRONMENT;ARGS;PROPERTIES" ${ARGN})
  if(NOT TAVI_TEST_PYTHON)
    return()
  endif()
  set(environment ${TAVI_TEST_ENVIRONMENT} ${ARG_ENVIRONMENT})
  if(ARG_LOADS_SANITIZED AND TAVI_SANITIZE)
    list(APPEND environment "LD_PRELOAD=${TAVI_SANITIZER_PRELOAD}" "ASAN_OPTIONS=${TAVI_FOREIGN_ASAN_OPTIONS}")
  endif()
  add_test(NAME ${name} COMMAND ${TAVI_TEST_PYTHON} -m pytest -q -p no:cacheprovider ${ARG_ARGS} ${ARG_PATHS})
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" SKIP_RETURN_CODE 77
    ENVIRONMENT "${environment}" ${ARG_PROPERTIES})
endfunction()

# A test that is a script: its status says how it went (77: skipped). It
# gets only the environment it is given: the install tests must not find
# the build tree on any path.
function(tavi_script_test name)
  cmake_parse_arguments(ARG "" "" "COMMAND;LABELS;ENVIRONMENT;PROPERTIES" ${ARGN})
  add_test(NAME ${name} COMMAND ${ARG_COMMAND})
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" SKIP_RETURN_CODE 77 ${ARG_PROPERTIES})
  if(ARG_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
endfunction()
