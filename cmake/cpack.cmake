# Packages (cpack in a build folder): on Linux two .debs, "tessaline" (the
# viewer) and "tessaline-dev" (the framework); on Windows two .zips alike,
# tessaline-<version>-win64 (the viewer, the examples, the read-me and the
# licences) and tessaline-dev-<version>-win64 (the framework for MinGW-w64).
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VENDOR "Tessaline")
# Placeholder until the project names a maintainer address.
set(CPACK_PACKAGE_CONTACT "Tessaline developers <tessaline@localhost>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
# One string each: the first line is the synopsis, the rest the long text.
string(JOIN "\n" CPACK_COMPONENT_VIEWER_DESCRIPTION
  "interactive phase-space stability-map viewer"
  "Shows the longitudinal stability region of a particle crossing a chain of accelerating"
  "cells: every pixel of the phase-space map coloured by the cells a particle survives.")
string(JOIN "\n" CPACK_COMPONENT_DEV_DESCRIPTION
  "small OpenGL framework for programs of your own (Tessaline)"
  "Static libraries, headers, CMake package (find_package(Tessaline)) and pkg-config file of"
  "a small OpenGL framework: window and frame loop, bitmap-font text, 2D and 3D drawing,"
  "textures, shaders, a settings store.")
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  # Both unpack into tessaline-<version>-win64: the framework lands beside the programs.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_COMPONENTS_ALL viewer examples dev)
  set(CPACK_COMPONENT_VIEWER_GROUP runtime)
  set(CPACK_COMPONENT_EXAMPLES_GROUP runtime)
  set(CPACK_COMPONENT_DEV_GROUP dev)
  set(CPACK_ARCHIVE_RUNTIME_FILE_NAME tessaline-${PROJECT_VERSION}-win64)
  set(CPACK_ARCHIVE_DEV_FILE_NAME tessaline-dev-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_COMPONENTS_ALL viewer dev)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_VIEWER_PACKAGE_NAME tessaline)
  set(CPACK_DEBIAN_VIEWER_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_VIEWER_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME tessaline-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(TESS_DEV_DEPENDS ${TESS_PKG_LIBS})
  list(TRANSFORM TESS_DEV_DEPENDS REPLACE "^(.+)$" "lib\\1-dev")
  list(JOIN TESS_DEV_DEPENDS ", " CPACK_DEBIAN_DEV_PACKAGE_DEPENDS)
endif()
# The programs ship without their debugging information (on Linux the viewer,
# the only program the package installs); the libraries keep their symbols.
if(WIN32)
  set(CPACK_STRIP_FILES tessaline ${TESS_EXAMPLE_TARGETS})
  list(TRANSFORM CPACK_STRIP_FILES APPEND .exe)
else()
  set(CPACK_STRIP_FILES ${TESS_INSTALL_BINDIR}/tessaline)
endif()
include(CPack)
