# The settings panel in a window: SDL2, Dear ImGui (Debian's libimgui-dev,
# whose libimgui.a carries the SDL2 and OpenGL3 backends) and OpenGL. Only
# the host's tools link it; the module never does.
#
# TAVI_GUI defaults to ON when the libraries are there. Asked for ON
# without them, configuring stops and says what to install.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 QUIET IMPORTED_TARGET sdl2)
pkg_check_modules(IMGUI QUIET IMPORTED_TARGET imgui)
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL QUIET)

if(SDL2_FOUND AND IMGUI_FOUND AND OpenGL_FOUND)
  set(tavi_gui_found ON)
else()
  set(tavi_gui_found OFF)
endif()
option(TAVI_GUI "Build the settings panel's window for 'tavi panel' (SDL2, Dear ImGui, OpenGL)" ${tavi_gui_found})

if(TAVI_GUI AND NOT tavi_gui_found)
  message(FATAL_ERROR "TAVI_GUI needs SDL2, Dear ImGui and OpenGL: install libsdl2-dev libimgui-dev libgl-dev "
                      "(scripts/setup.sh does) or configure with -DTAVI_GUI=OFF")
endif()
if(TAVI_GUI)
  add_subdirectory(${PROJECT_SOURCE_DIR}/src/gui ${PROJECT_BINARY_DIR}/src/gui)
elseif(tavi_gui_found)
  message(STATUS "tavi panel without a window: TAVI_GUI=OFF")
else()
  message(STATUS "tavi panel without a window: SDL2, Dear ImGui or OpenGL not found (TAVI_GUI=OFF)")
endif()
