# find_package(tavi): the C library as the imported target tavi::tavi,
# with its include folder. It needs nothing but the C library at run time.
include("${CMAKE_CURRENT_LIST_DIR}/taviTargets.cmake")
