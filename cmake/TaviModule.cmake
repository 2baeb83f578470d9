# tavi_add_module(TARGET EXPORTS <list file> SOURCES <...>)
#
# Builds a host module: a shared library whose file is named exactly
# tavi56.p and whose dynamic symbol table holds only the names in the
# export list (lines "ORDINAL NAME [DATA]", '#' comments).
function(tavi_add_module target)
  cmake_parse_arguments(ARG "" "EXPORTS;OUTPUT_NAME" "SOURCES" ${ARGN})
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
