# The routes as `cmake --install` leaves them, under a scratch prefix: the
# Python module imports from there, and the C example builds with
# pkg-config and runs. -DBUILD= -DPREFIX= -DPYTHON= -DPYTHON_DIR= -DEXAMPLE=
# -DCC=
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}" OUTPUT_QUIET
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()

if(PYTHON)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "PYTHONPATH=${PREFIX}/${PYTHON_DIR}" ${PYTHON} -c
      "import tavi, numpy; assert tavi.__file__.startswith('${PREFIX}'), tavi.__file__; print(tavi.antialias(numpy.zeros((4,4,4), numpy.uint8)).shape)"
    OUTPUT_VARIABLE shape RESULT_VARIABLE failed)
  if(failed OR NOT shape MATCHES "\\(4, 4, 4\\)")
    message(FATAL_ERROR "the installed Python module does not work: ${shape}")
  endif()
endif()

file(GLOB pc_dir "${PREFIX}/lib*/pkgconfig" "${PREFIX}/lib/*/pkgconfig")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PKG_CONFIG_PATH=${pc_dir}" pkg-config --cflags --libs tavi
  OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "pkg-config does not find tavi in ${pc_dir}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
set(program "${PREFIX}/c_example")
execute_process(COMMAND ${CC} -std=c99 "${EXAMPLE}" ${flags} -o "${program}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the C example does not build against the installed library")
endif()
file(GLOB libdirs "${PREFIX}/lib" "${PREFIX}/lib/*-linux-gnu")
string(REPLACE ";" ":" libdirs "${libdirs}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "LD_LIBRARY_PATH=${libdirs}" "${program}" RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the C example built against the installed library fails")
endif()
