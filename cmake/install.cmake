# Installation: the framework as a CMake package (find_package(Tessaline)
# gives Tessaline::framework, Tessaline::core and Tessaline::entry) and, on
# Linux, a pkg-config file; the viewer and, on Windows, the examples as
# programs. Components: viewer, examples, dev (what cmake/cpack.cmake packs).

# The names users see, in the tree (add_subdirectory) as after installing.
set_target_properties(tessaline_core PROPERTIES EXPORT_NAME core)
set_target_properties(tessaline_fw PROPERTIES EXPORT_NAME framework)
set_target_properties(tessaline_entry PROPERTIES EXPORT_NAME entry)
add_library(Tessaline::core ALIAS tessaline_core)
add_library(Tessaline::framework ALIAS tessaline_fw)
add_library(Tessaline::entry ALIAS tessaline_entry)
# A project that adds this one as a subfolder keeps its own install and packages.
if(NOT TESS_INSTALL)
  return()
endif()

include(CMakePackageConfigHelpers)

if(WIN32)
  # A Windows folder keeps its programs and read-me at the top.
  set(TESS_INSTALL_BINDIR .)
  set(TESS_INSTALL_DOCDIR .)
else()
  set(TESS_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
  set(TESS_INSTALL_DOCDIR ${CMAKE_INSTALL_DOCDIR})
endif()
set(TESS_DEV_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tessaline-dev)
set(TESS_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Tessaline)

# The licences: on Windows LICENSE and LICENSES/ as they are; on Linux one
# file, copyright, as Debian's packages carry them: ours, then the font's.
if(WIN32)
  set(TESS_LICENCE_FILES ${PROJECT_SOURCE_DIR}/LICENSE)
  set(TESS_LICENCE_DIRS ${PROJECT_SOURCE_DIR}/LICENSES)
else()
  set(TESS_FONT_LICENCE ${PROJECT_SOURCE_DIR}/LICENSES/DejaVu-fonts.txt)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE TESS_OWN_TEXT)
  file(READ ${TESS_FONT_LICENCE} TESS_FONT_TEXT)
  file(WRITE ${PROJECT_BINARY_DIR}/copyright "${TESS_OWN_TEXT}\n${TESS_FONT_TEXT}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TESS_FONT_LICENCE})
  set(TESS_LICENCE_FILES ${PROJECT_BINARY_DIR}/copyright)
  set(TESS_LICENCE_DIRS)
endif()

# Viewer.
install(TARGETS tessaline RUNTIME DESTINATION ${TESS_INSTALL_BINDIR} COMPONENT viewer)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${TESS_LICENCE_FILES}
        DESTINATION ${TESS_INSTALL_DOCDIR} COMPONENT viewer)
install(DIRECTORY ${TESS_LICENCE_DIRS} DESTINATION ${TESS_INSTALL_DOCDIR} COMPONENT viewer)
if(WIN32 AND TESS_EXAMPLE_TARGETS)
  install(TARGETS ${TESS_EXAMPLE_TARGETS} RUNTIME DESTINATION ${TESS_INSTALL_BINDIR} COMPONENT examples)
endif()

# Framework: libraries, the entry object, headers under their framework/... paths.
install(TARGETS tessaline_core tessaline_fw EXPORT TessalineTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(TARGETS tessaline_entry EXPORT TessalineTargets
        OBJECTS DESTINATION ${CMAKE_INSTALL_LIBDIR}/tessaline COMPONENT dev)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/framework DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev
        FILES_MATCHING PATTERN "*.h" PATTERN "win32_*" EXCLUDE PATTERN "x11_*" EXCLUDE)
install(EXPORT TessalineTargets NAMESPACE Tessaline:: DESTINATION ${TESS_CMAKE_DIR} COMPONENT dev)
if("xrandr" IN_LIST TESS_PKG_LIBS)
  set(TESS_USES_XRANDR TRUE)
else()
  set(TESS_USES_XRANDR FALSE)  # the template's if() needs a word
endif()
set(TESS_GL_COMPONENTS "OpenGL GLX")
if("egl" IN_LIST TESS_PKG_LIBS)
  string(APPEND TESS_GL_COMPONENTS " EGL")
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TessalineConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TessalineConfig.cmake INSTALL_DESTINATION ${TESS_CMAKE_DIR})
# 0.x: a new minor version may break programs.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TessalineConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TessalineConfig.cmake ${PROJECT_BINARY_DIR}/TessalineConfigVersion.cmake
        DESTINATION ${TESS_CMAKE_DIR} COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/docs/framework.md ${TESS_LICENCE_FILES}
        DESTINATION ${TESS_DEV_DOCDIR} COMPONENT dev)
install(DIRECTORY ${TESS_LICENCE_DIRS} DESTINATION ${TESS_DEV_DOCDIR} COMPONENT dev)

if(NOT WIN32)
  # pkg-config links the entry from an archive of the same object: main is
  # pulled in only when the program has none of its own.
  add_library(tessaline_entry_archive STATIC $<TARGET_OBJECTS:tessaline_entry>)
  set_target_properties(tessaline_entry_archive PROPERTIES OUTPUT_NAME tessaline_entry)
  install(TARGETS tessaline_entry_archive ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
  # Relative to the .pc file, so that the install can be moved (cmake --install --prefix, the .deb).
  file(RELATIVE_PATH TESS_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
  string(REGEX REPLACE "/$" "" TESS_PC_TO_PREFIX "${TESS_PC_TO_PREFIX}")
  list(JOIN TESS_PKG_LIBS " " TESS_PC_REQUIRES)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/tessaline.pc.in ${PROJECT_BINARY_DIR}/tessaline.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/tessaline.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
endif()

include(${PROJECT_SOURCE_DIR}/cmake/cpack.cmake)
