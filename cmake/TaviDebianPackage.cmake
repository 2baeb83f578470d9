# The Debian package: `cpack -G DEB` in the build folder makes
# tavi_<version>_<arch>.deb, one package holding everything cmake --install
# installs, under /usr, with its dependencies computed from the binaries
# (dpkg-shlibdeps). Included last, once every install rule is known.

# Debian's own files, in the package only: cmake --install leaves them out.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
# Compressed as Debian wants it: best compression, no name or time inside.
set(tavi_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
add_custom_command(OUTPUT ${tavi_changelog}
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/debian/changelog > ${tavi_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
  COMMENT "Compressing the Debian changelog")
add_custom_target(tavi_debian_changelog ALL DEPENDS ${tavi_changelog})
install(FILES ${tavi_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)
# The lintian tags kept on purpose, each with its reason.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME tavi COMPONENT debian EXCLUDE_FROM_ALL)


set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "post-render anti-aliasing filter for rendered frames")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Tavi finds the stair-stepped edges of a rendered frame, decides from the\n"
  "local slope where each step lies, and blends the pixels around each step\n"
  "into a ramp. It is an image-filter plug-in module for a 3D renderer.\n"
  "\n"
  "This package holds the tavi command, which runs the filter module on\n"
  "image files (PNG, TIFF, OpenEXR and more, through OpenImageIO), the C\n"
  "library libtavi with its header, pkg-config file and CMake package, the\n"
  "Python package tavi for numpy images, and the GEGL operation\n"
  "tavi:antialias for GIMP and the gegl command.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVI_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# libtavi is in the loader's folders: dpkg runs ldconfig once, at the end.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/debian/triggers)
if(TAVI_PYTHON)
  # The compiled module is for this one Python; numpy it needs only once a
  # program calls it, and no binary links it.
  math(EXPR tavi_next_python_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), \
python3 (<< ${Python3_VERSION_MAJOR}.${tavi_next_python_minor})")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-numpy")
endif()

# Every install component, Debian's files included, in the one package;
# the Python package in Debian's place rather than cmake --install's. The
# Blender add-on stays out: it carries a compiled module, which Debian
# keeps out of /usr/share, where Blender looks for add-ons; it ships as its
# zip (build/blender/tavi_blender.zip).
get_cmake_property(CPACK_COMPONENTS_ALL COMPONENTS)
list(REMOVE_ITEM CPACK_COMPONENTS_ALL python blender)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
include(CPack)
