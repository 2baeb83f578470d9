# tavi_add_module(TARGET EXPORTS <list file> SOURCES <...>)
#
# Builds a host module: a shared library whose file is named exactly
# tavi56.p and whose dynamic symbol table holds only the names in the
# export list (lines "ORDINAL NAME [DATA]", '#' comments). On Windows it is
# a DLL whose export directory carries that name and exactly those names,
# each with its ordinal, data marked as data.

# Writes a module definition from the export list: the DLL's name, then
# every name with its ordinal. Names are the C (cdecl) names; the linker
# adds the underscore that i386 puts before C names itself (x86-64 has none).
function(_tavi_module_definition exports library_name def_file)
  file(STRINGS "${exports}" lines REGEX "^[ \t]*[^# \t]")
  set(body "LIBRARY \"${library_name}\"\nEXPORTS\n")
  set(previous 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[ \t]*([0-9]+)[ \t]+([A-Za-z_][A-Za-z0-9_]*)([ \t]+DATA)?[ \t]*(#.*)?$")
      message(FATAL_ERROR "${exports}: cannot read the line \"${line}\"")
    endif()
    set(ordinal "${CMAKE_MATCH_1}")
    if(NOT ordinal GREATER previous)
      message(FATAL_ERROR "${exports}: ordinal ${ordinal} out of order")
    endif()
    set(previous "${ordinal}")
    string(APPEND body "    ${CMAKE_MATCH_2} @${ordinal}")
    if(CMAKE_MATCH_3)
      string(APPEND body " DATA")
    endif()
    string(APPEND body "\n")
  endforeach()
  file(CONFIGURE OUTPUT "${def_file}" CONTENT "${body}" @ONLY)
endfunction()

function(tavi_add_module target)
  cmake_parse_arguments(ARG "" "EXPORTS;OUTPUT_NAME" "SOURCES" ${ARGN})
  if(WIN32)
    # With a module definition the linker exports only what it lists, not
    # every global symbol as MinGW does without one.
    set(def "${CMAKE_CURRENT_BINARY_DIR}/${target}.def")
    _tavi_module_definition("${ARG_EXPORTS}" "${ARG_OUTPUT_NAME}.p" "${def}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${ARG_EXPORTS}")
    add_library(${target} SHARED ${ARG_SOURCES} "${def}")
    set_target_properties(${target} PROPERTIES
      PREFIX "" SUFFIX ".p" OUTPUT_NAME "${ARG_OUTPUT_NAME}"
      RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
      ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
      LINK_DEPENDS "${def}")
    target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    return()
  endif()
  file(STRINGS "${ARG_EXPORTS}" lines REGEX "^[0-9]")
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "^[0-9]+[ \t]+([A-Za-z_][A-Za-z0-9_]*)" _ "${line}")
    list(APPEND names "${CMAKE_MATCH_1}")
  endforeach()
  list(JOIN names ";\n    " body)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.version")
  file(CONFIGURE OUTPUT "${script}" CONTENT "{\n  global:\n    ${body};\n  local: *;\n};\n")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${ARG_EXPORTS}")

  add_library(${target} SHARED ${ARG_SOURCES})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".p" OUTPUT_NAME "${ARG_OUTPUT_NAME}"
    LIBRARY_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}"
    LINK_DEPENDS "${script}")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${script}" "LINKER:--no-undefined")
endfunction()
