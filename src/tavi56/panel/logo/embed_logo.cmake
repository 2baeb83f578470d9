# cmake -DINPUT=logo.ppm -DOUTPUT=logo_data.cpp -P embed_logo.cmake
#
# Turns the logo picture (binary PPM, 153x80, maximum 255) into the
# module's logo_data array. CMake alone does it, so the build needs no
# other tool.
set(width 153)
set(height 80)
set(header "P6\n${width} ${height}\n255\n")
string(LENGTH "${header}" header_length)
math(EXPR pixel_bytes "${width} * ${height} * 3")
math(EXPR file_bytes "${header_length} + ${pixel_bytes}")

file(SIZE "${INPUT}" size)
file(READ "${INPUT}" found_header LIMIT ${header_length})
if(NOT found_header STREQUAL header OR NOT size EQUAL file_bytes)
  message(FATAL_ERROR "${INPUT}: expected a ${width}x${height} binary PPM with maximum 255 and no comments")
endif()

file(READ "${INPUT}" hex OFFSET ${header_length} HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# One pixel row per line.
string(REPEAT "0x[0-9a-f][0-9a-f]," ${width} row_pattern)
string(REGEX REPLACE "(${row_pattern}${row_pattern}${row_pattern})" "\\1\n" bytes "${bytes}")

file(WRITE "${OUTPUT}.tmp"
  "// Generated from logo/logo.ppm by logo/embed_logo.cmake; edit the picture, not this file.\n"
  "#include \"panel/logo.h\"\n\n"
  "extern \"C\" const unsigned char logo_data[kLogoWidth * kLogoHeight * 3] = {\n"
  "${bytes}};\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
