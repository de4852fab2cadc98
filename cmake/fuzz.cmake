# Fuzz targets (libFuzzer with ASan and UBSan, clang only): one per
# tools/fuzz/fuzz_<name>.cpp, with its seeds in tools/fuzz/corpus/<name>/ and,
# where it has one, its dictionary tools/fuzz/<name>.dict. Configured with
# -DTESS_FUZZ=ON, which also instruments the framework for coverage (see the
# top CMakeLists.txt); tools/fuzz/fuzz.sh builds and runs them. The targets
# go to fuzz_targets.txt in the build folder for that script, one line each:
# the name and its kind: "core" (the bottom library alone: no GL, no X11),
# "parser" (the framework, no context), "app" (the viewer's modules, no
# context) or "gl" (a context in the tests' window).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TESS_FUZZ needs clang (libFuzzer): -DCMAKE_CXX_COMPILER=clang++")
endif()

# What each kind links.
set(TESS_FUZZ_LIB_core tessaline_core)
set(TESS_FUZZ_LIB_parser tessaline_fw)
set(TESS_FUZZ_LIB_app tessaline_app)
set(TESS_FUZZ_LIB_gl tess_fuzz_window)

# The GL targets open the tests' window; built here without GoogleTest.
add_library(tess_fuzz_window STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_window.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/fonts.cpp)
target_link_libraries(tess_fuzz_window PUBLIC tessaline_fw)

set(TESS_FUZZ_TARGETS "")
set(TESS_FUZZ_LIST "")
function(tess_fuzz_target name kind)
  add_executable(fuzz_${name} ${PROJECT_SOURCE_DIR}/tools/fuzz/fuzz_${name}.cpp)
  target_link_libraries(fuzz_${name} PRIVATE ${TESS_FUZZ_LIB_${kind}})
  target_compile_definitions(fuzz_${name} PRIVATE TESS_FUZZ_MAIN)
  target_compile_options(fuzz_${name} PRIVATE ${TESS_WARNINGS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set(TESS_FUZZ_TARGETS ${TESS_FUZZ_TARGETS} ${name} PARENT_SCOPE)
  set(TESS_FUZZ_LIST "${TESS_FUZZ_LIST}${name} ${kind}\n" PARENT_SCOPE)
endfunction()

tess_fuzz_target(config core)
tess_fuzz_target(grow_array core)
tess_fuzz_target(utils core)
tess_fuzz_target(markup parser)
tess_fuzz_target(font_load gl)
tess_fuzz_target(font_spec gl)
tess_fuzz_target(text gl)
tess_fuzz_target(cli app)
tess_fuzz_target(scan_resume app)

add_custom_target(fuzz_all)
foreach(name ${TESS_FUZZ_TARGETS})
  add_dependencies(fuzz_all fuzz_${name})
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${TESS_FUZZ_LIST}")
