# TAVI_SANITIZER_PRELOAD: the AddressSanitizer and UndefinedBehaviorSanitizer
# runtimes of the compiler in use, for LD_PRELOAD. A sanitized shared object
# loaded into a program built without them (python3, gegl) needs them
# loaded first.
set(TAVI_SANITIZER_PRELOAD "")
foreach(runtime IN ITEMS asan ubsan)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${runtime}.so
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND TAVI_SANITIZER_PRELOAD "${path}")
endforeach()
string(REPLACE ";" ":" TAVI_SANITIZER_PRELOAD "${TAVI_SANITIZER_PRELOAD}")
