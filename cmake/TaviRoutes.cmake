# Finds what the library's routes need, quietly, and sets
# tavi_python_default and tavi_gegl_default to whether it is there.
#
# Python: the interpreter that has numpy, so the module is built for the
# Python that can use it (a python3 earlier on PATH without numpy, such as
# a pyenv shim, is passed over for the system's); pybind11 from its CMake
# package.
set(tavi_python_default OFF)
set(tavi_gegl_default OFF)
if(NOT TAVI_LIBRARY)
  return()
endif()

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
  set(tavi_python_default ON)
endif()

find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(GEGL QUIET IMPORTED_TARGET gegl-0.4)
  if(GEGL_FOUND)
    set(tavi_gegl_default ON)
  endif()
endif()
