# tavi_add_module(TARGET OUTPUT_NAME NAME SOURCES <...>)
#
# Builds a host module: a shared library whose file is named exactly
# NAME.p and whose dynamic symbol table holds only the names of the export
# list that tavi_read_exports (cmake/TaviExports.cmake) read. On Windows it
# is a DLL whose export directory carries that name and exactly those
# names, each with its ordinal, data marked as data.
function(tavi_add_module target)
  cmake_parse_arguments(ARG "" "OUTPUT_NAME" "SOURCES" ${ARGN})
  if(WIN32)
    # With a module definition the linker exports only what it lists, not
    # every global symbol as MinGW does without one.
    set(def "${TAVI56_EXPORTS_DIR}/tavi56.def")
    add_library(${target} SHARED ${ARG_SOURCES} "${def}")
    set_target_properties(${target} PROPERTIES
      PREFIX "" SUFFIX ".p" OUTPUT_NAME "${ARG_OUTPUT_NAME}"
      RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
      ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
      LINK_DEPENDS "${def}")
    target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    return()
  endif()
  set(script "${TAVI56_EXPORTS_DIR}/tavi56.version")
  add_library(${target} SHARED ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".p" OUTPUT_NAME "${ARG_OUTPUT_NAME}"
    LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
    LINK_DEPENDS "${script}")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${script}" "LINKER:--no-undefined")
endfunction()
