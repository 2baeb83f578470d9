# Every choice a build of Tavi takes, in one place: what is built, and
# where cmake --install puts it. Each defaults to what this machine can
# build (see tavi_part below); asked for ON without what it needs,
# configuring stops and says what to install.
#
#   TAVI_TOOLS     the tavi command and image files (OpenImageIO, CLI11)
#   TAVI_TESTS     the test suite (GoogleTest); needs TAVI_TOOLS
#   TAVI_GUI       the panel's window for `tavi panel` (SDL2, Dear ImGui, OpenGL)
#   TAVI_LIBRARY   the C library libtavi; needs TAVI_TOOLS
#   TAVI_PYTHON    the Python module (pybind11, numpy); needs TAVI_LIBRARY
#   TAVI_BLENDER   the Blender add-on's zip; needs TAVI_PYTHON
#   TAVI_GEGL      the GEGL operation (libgegl-dev); needs TAVI_LIBRARY
#   TAVI_BENCH     the benchmarks (Google Benchmark); needs TAVI_TOOLS
#   TAVI_FUZZ      the libFuzzer targets (clang)
#   TAVI_SANITIZE  AddressSanitizer and UndefinedBehaviorSanitizer

# A Windows build (cmake/toolchain-mingw32.cmake, -mingw64.cmake) makes
# only the module DLL and its Windows test host; everything else stays a
# native affair.
if(WIN32)
  set(tavi_native_default OFF)
else()
  set(tavi_native_default ON)
endif()
option(TAVI_TOOLS "Build the host's tools: the tavi command and image files (OpenImageIO, CLI11)" ${tavi_native_default})
option(TAVI_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TAVI_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

function(tavi_needs option needed why)
  if(${option} AND NOT ${needed})
    message(FATAL_ERROR "${option} needs ${needed}: ${why}")
  endif()
endfunction()
# What the optional parts need, looked for quietly.
find_package(PkgConfig QUIET)
set(tavi_gui_found OFF)
set(tavi_gegl_found OFF)
if(PkgConfig_FOUND AND TAVI_TOOLS)
  pkg_check_modules(SDL2 QUIET IMPORTED_TARGET sdl2)
  pkg_check_modules(IMGUI QUIET IMPORTED_TARGET imgui)
  set(OpenGL_GL_PREFERENCE GLVND)
  find_package(OpenGL QUIET)
  if(SDL2_FOUND AND IMGUI_FOUND AND OpenGL_FOUND)
    set(tavi_gui_found ON)
  endif()
  pkg_check_modules(GEGL QUIET IMPORTED_TARGET gegl-0.4)
  if(GEGL_FOUND)
    set(tavi_gegl_found ON)
  endif()
endif()
# Python: the interpreter that has numpy, so the module is built for the
# Python that can use it (a python3 earlier on PATH without numpy, such as
# a pyenv shim, is passed over for the system's); pybind11 from its CMake
# package.
set(tavi_python_found OFF)
if(TAVI_TOOLS)
  if(NOT DEFINED Python3_EXECUTABLE)
    find_program(tavi_python_candidate NAMES python3 NAMES_PER_DIR)
    foreach(candidate IN ITEMS "${tavi_python_candidate}" /usr/bin/python3)
      if(candidate AND EXISTS "${candidate}")
        execute_process(COMMAND "${candidate}" -c "import numpy" RESULT_VARIABLE no_numpy OUTPUT_QUIET ERROR_QUIET)
        if(no_numpy EQUAL 0)
          set(Python3_EXECUTABLE "${candidate}" CACHE FILEPATH "The Python the tavi module is built for")
          break()
        endif()
      endif()
    endforeach()
  endif()
  find_package(Python3 QUIET COMPONENTS Interpreter Development.Module)
  set(PYBIND11_FINDPYTHON ON)
  find_package(pybind11 CONFIG QUIET)
  if(Python3_FOUND AND pybind11_FOUND)
    set(tavi_python_found ON)
  endif()
  find_package(benchmark QUIET)
endif()
set(tavi_bench_found OFF)
if(benchmark_FOUND)
  set(tavi_bench_found ON)
endif()

# The parts that depend on what is installed are AUTO by default: on where
# what they need is found, each time CMake configures, so a build made
# before the test suite's packages were installed takes them up once they
# are. ON asks for a part (configuring stops where it cannot be built),
# OFF leaves it out.
function(tavi_part option help found)
  set(${option} AUTO CACHE STRING "${help}: ON, OFF or AUTO (where what it needs is found)")
  set_property(CACHE ${option} PROPERTY STRINGS AUTO ON OFF)
  if(${option} STREQUAL "AUTO")
    if(${found})
      set(${option} ON PARENT_SCOPE)
    else()
      set(${option} OFF PARENT_SCOPE)
    endif()
  endif()
endfunction()
find_package(GTest QUIET)
set(tavi_tests_found OFF)
if(GTest_FOUND AND TAVI_TOOLS)
  set(tavi_tests_found ON)
endif()
tavi_part(TAVI_TESTS "Build the test suite (GoogleTest)" tavi_tests_found)
tavi_part(TAVI_GUI "Build the settings panel's window for 'tavi panel' (SDL2, Dear ImGui, OpenGL)" tavi_gui_found)
option(TAVI_LIBRARY "Build the C library libtavi (include/tavi/tavi.h)" ${TAVI_TOOLS})
set(tavi_python_possible OFF)
if(tavi_python_found AND TAVI_LIBRARY)
  set(tavi_python_possible ON)
endif()
tavi_part(TAVI_PYTHON "Build the Python module tavi (pybind11, numpy)" tavi_python_possible)
tavi_part(TAVI_BLENDER "Build the Blender add-on (build/blender/tavi_blender.zip)" TAVI_PYTHON)
set(tavi_gegl_possible OFF)
if(tavi_gegl_found AND TAVI_LIBRARY)
  set(tavi_gegl_possible ON)
endif()
tavi_part(TAVI_GEGL "Build the GEGL operation tavi:antialias (libgegl-dev)" tavi_gegl_possible)
set(tavi_bench_possible OFF)
if(tavi_bench_found AND TAVI_TOOLS)
  set(tavi_bench_possible ON)
endif()
tavi_part(TAVI_BENCH "Build the benchmarks in bench/ (Google Benchmark)" tavi_bench_possible)

tavi_needs(TAVI_TESTS TAVI_TOOLS "the suites test the tools too")
tavi_needs(TAVI_TESTS GTest_FOUND "install libgtest-dev libgmock-dev (scripts/setup-tests.sh does)")
tavi_needs(TAVI_GUI TAVI_TOOLS "the window is the tavi command's")
tavi_needs(TAVI_LIBRARY TAVI_TOOLS "the library uses the host's frame rules and settings")
tavi_needs(TAVI_PYTHON TAVI_LIBRARY "the module works through it")
tavi_needs(TAVI_GEGL TAVI_LIBRARY "the operation works through it")
tavi_needs(TAVI_BLENDER TAVI_PYTHON "the add-on works through the Python module")
tavi_needs(TAVI_BENCH TAVI_TOOLS "the benchmarks render their frames with the host")
tavi_needs(TAVI_GUI tavi_gui_found "install libsdl2-dev libimgui-dev libgl-dev (scripts/setup-tests.sh does) or configure with -DTAVI_GUI=OFF")
tavi_needs(TAVI_PYTHON tavi_python_found "install python3-dev pybind11-dev python3-numpy (scripts/setup-tests.sh does)")
tavi_needs(TAVI_GEGL tavi_gegl_found "install libgegl-dev (scripts/setup-tests.sh does)")
tavi_needs(TAVI_BENCH tavi_bench_found "install libbenchmark-dev (scripts/setup-tests.sh does)")

# Where cmake --install puts things, under the prefix.
include(GNUInstallDirs)
set(TAVI_MODULE_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/tavi"
  CACHE STRING "Where cmake --install puts the filter module tavi56.p (and the panel's window), under the prefix")
set(TAVI_DATA_INSTALL_DIR "${CMAKE_INSTALL_DATADIR}/tavi"
  CACHE STRING "Where cmake --install puts the farm's array job script, under the prefix")
if(TAVI_PYTHON)
  set(TAVI_PYTHON_INSTALL_DIR "lib/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/dist-packages"
    CACHE STRING "Where cmake --install puts the Python package tavi, under the prefix")
endif()
if(TAVI_BLENDER)
  # Debian's Blender looks for add-ons in /usr/share/blender/scripts/addons.
  set(TAVI_BLENDER_ADDON_DIR "${CMAKE_INSTALL_DATADIR}/blender/scripts/addons"
    CACHE STRING "Where cmake --install puts the Blender add-on tavi_blender, under the prefix")
endif()
if(TAVI_GEGL)
  # GEGL's own folder relative to GEGL's prefix, so that under the prefix
  # /usr (as the Debian package has it) GEGL and GIMP load it for every
  # user. GNUInstallDirs' libdir would not do: it is chosen for the prefix
  # given when configuring, not the one given to cmake --install.
  pkg_get_variable(tavi_gegl_prefix gegl-0.4 prefix)
  pkg_get_variable(tavi_gegl_pluginsdir gegl-0.4 pluginsdir)
  if(tavi_gegl_prefix AND tavi_gegl_pluginsdir MATCHES "^${tavi_gegl_prefix}/(.+)$")
    set(tavi_gegl_default_dir "${CMAKE_MATCH_1}")
  else()
    set(tavi_gegl_default_dir "${CMAKE_INSTALL_LIBDIR}/gegl-0.4")
  endif()
  set(TAVI_GEGL_INSTALL_DIR "${tavi_gegl_default_dir}"
    CACHE STRING "Where cmake --install puts the GEGL operation, under the prefix")
endif()
set(TAVI_PACKAGE_MAINTAINER "The Tavi developers <tavi@example.org>"
  CACHE STRING "The Debian package's Maintainer field")
