# tavi_read_exports(LIST_FILE)
#
# Reads the module's export list once ("ORDINAL NAME [DATA]" a line, '#'
# comments, ordinals rising) and makes everything else from what it read:
#
#   TAVI56_EXPORT_NAMES, TAVI56_EXPORT_ORDINALS, TAVI56_EXPORT_KINDS
#       the exports in ordinal order; kinds are "code" or "data"
#   ${PROJECT_BINARY_DIR}/exports/tavi56.version
#       the linker's version script: those names and nothing else (Linux)
#   ${PROJECT_BINARY_DIR}/exports/tavi56.def
#       the module definition: the DLL's name, then every name with its
#       ordinal, data marked (Windows). Names are the C (cdecl) names; the
#       linker adds the i386 underscore itself.
#   ${PROJECT_BINARY_DIR}/exports/module_exports.inc
#       the list as C++ initialisers {ordinal, "name", data}, for the
#       hosts' tests that check what the module exports
#   ${PROJECT_BINARY_DIR}/exports/exports.table
#       "ORDINAL NAME code|data" a line, for the Windows export check
function(tavi_read_exports list_file)
  file(STRINGS "${list_file}" lines)
  set(names "")
  set(ordinals "")
  set(kinds "")
  set(previous 0)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "#.*" "" line "${line}")
    if(line MATCHES "^[ \t]*$")
      continue()
    endif()
    if(NOT line MATCHES "^[ \t]*([0-9]+)[ \t]+([A-Za-z_][A-Za-z0-9_]*)([ \t]+DATA)?[ \t]*$")
      message(FATAL_ERROR "${list_file}: cannot read the line \"${line}\"")
    endif()
    if(NOT CMAKE_MATCH_1 GREATER previous)
      message(FATAL_ERROR "${list_file}: ordinal ${CMAKE_MATCH_1} out of order")
    endif()
    set(previous ${CMAKE_MATCH_1})
    list(APPEND ordinals ${CMAKE_MATCH_1})
    list(APPEND names ${CMAKE_MATCH_2})
    if(CMAKE_MATCH_3)
      list(APPEND kinds data)
    else()
      list(APPEND kinds code)
    endif()
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${list_file}")
  set(TAVI56_EXPORT_NAMES "${names}" CACHE INTERNAL "")
  set(TAVI56_EXPORT_ORDINALS "${ordinals}" CACHE INTERNAL "")
  set(TAVI56_EXPORT_KINDS "${kinds}" CACHE INTERNAL "")

  set(dir ${PROJECT_BINARY_DIR}/exports)
  list(JOIN names ";\n    " version_names)
  file(CONFIGURE OUTPUT "${dir}/tavi56.version" CONTENT "{\n  global:\n    ${version_names};\n  local: *;\n};\n")
  set(def "LIBRARY \"tavi56.p\"\nEXPORTS\n")
  set(inc "")
  set(table "")
  list(LENGTH names count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    list(GET names ${i} name)
    list(GET ordinals ${i} ordinal)
    list(GET kinds ${i} kind)
    if(kind STREQUAL "data")
      string(APPEND def "    ${name} @${ordinal} DATA\n")
      string(APPEND inc "{${ordinal}, \"${name}\", true},\n")
    else()
      string(APPEND def "    ${name} @${ordinal}\n")
      string(APPEND inc "{${ordinal}, \"${name}\", false},\n")
    endif()
    string(APPEND table "${ordinal} ${name} ${kind}\n")
  endforeach()
  file(CONFIGURE OUTPUT "${dir}/tavi56.def" CONTENT "${def}")
  file(CONFIGURE OUTPUT "${dir}/module_exports.inc" CONTENT "${inc}")
  file(CONFIGURE OUTPUT "${dir}/exports.table" CONTENT "${table}")
  set(TAVI56_EXPORTS_DIR "${dir}" CACHE INTERNAL "")
endfunction()
