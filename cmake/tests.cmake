# Tests: every tests/*_test.cpp is one GoogleTest executable, run by CTest
# (under Wine for the Windows build). GL tests open a real window, so CTest
# needs DISPLAY pointing at a running X server (tools/with-xvfb.sh).
if(WIN32 OR TESS_SANITIZE)
  # Built from source: the cross build has no prebuilt GoogleTest, and the
  # sanitizer build wants it instrumented alike.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(TESS_GTEST gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(TESS_GTEST GTest::gtest GTest::gtest_main)
endif()

# Shared test helpers: files, bytes and fatal errors (no window or GL) in
# tess_test_files; the test window, GL feedback and state, fonts and the map
# reference in tess_test_support.
add_library(tess_test_files STATIC ${PROJECT_SOURCE_DIR}/tests/support/files.cpp)
target_link_libraries(tess_test_files PUBLIC ${TESS_GTEST})
target_include_directories(tess_test_files PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tess_test_files PRIVATE ${TESS_WARNINGS})
file(GLOB TESS_TEST_SUPPORT CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
list(REMOVE_ITEM TESS_TEST_SUPPORT ${PROJECT_SOURCE_DIR}/tests/support/files.cpp)
add_library(tess_test_support STATIC ${TESS_TEST_SUPPORT})
target_link_libraries(tess_test_support PUBLIC tess_test_files tessaline_app tessaline_fw ${TESS_GTEST})
# The tests decode PNG files with stb_image.h.
target_include_directories(tess_test_support SYSTEM PUBLIC ${TESS_STB_DIR})
target_compile_options(tess_test_support PRIVATE ${TESS_WARNINGS})

# Tests of the bottom layer link it alone: a call from util or config into the
# window, GL or X11 fails their link.
set(TESS_CORE_TESTS core_test grow_array_test utils_test config_test)

file(GLOB TESS_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*_test.cpp)
foreach(src ${TESS_TESTS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  if(name IN_LIST TESS_CORE_TESTS)
    target_link_libraries(${name} PRIVATE tess_test_files tessaline_core)
  else()
    target_link_libraries(${name} PRIVATE tess_test_support)
  endif()
  target_compile_options(${name} PRIVATE ${TESS_WARNINGS})
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endforeach()

# Helper programs that the end-to-end tests (tests/e2e) start as real processes.
file(GLOB TESS_TEST_PROGRAMS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/programs/*.cpp)
foreach(src ${TESS_TEST_PROGRAMS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE tessaline_entry tessaline_fw)
  target_compile_options(${name} PRIVATE ${TESS_WARNINGS})
endforeach()

# End-to-end tests (tests/e2e/test_*.py): real programs, real windows, real input
# under the X display, natively or, for the Windows build, under Wine. Not run
# for the sanitizer build, whose programs are the same code as the plain one.
if(NOT TESS_SANITIZE)
  find_program(TESS_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(WIN32)
    set(TESS_E2E_RUNNER wine)
  else()
    set(TESS_E2E_RUNNER native)
  endif()
  file(GLOB TESS_E2E_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/test_*.py)
  foreach(src ${TESS_E2E_TESTS})
    get_filename_component(name ${src} NAME_WE)
    add_test(NAME e2e_${name} COMMAND ${TESS_PYTHON} -m unittest -v ${name}
             WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/e2e)
    set_tests_properties(e2e_${name} PROPERTIES TIMEOUT 900
      ENVIRONMENT "TESS_BIN_DIR=${CMAKE_BINARY_DIR};TESS_RUNNER=${TESS_E2E_RUNNER}")
  endforeach()
endif()

# The fuzz targets, compiled into the test that replays the inputs they found.
file(GLOB TESS_FUZZ_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/fuzz/fuzz_*.cpp)
target_sources(fuzz_crashers_test PRIVATE ${TESS_FUZZ_SOURCES})
target_compile_definitions(fuzz_crashers_test PRIVATE TESS_FUZZ_CRASHERS="${PROJECT_SOURCE_DIR}/tests/fuzz_crashers")
