# Fuzz targets (libFuzzer with ASan and UBSan, clang only): one per
# tools/fuzz/fuzz_<name>.cpp, with its seeds in tools/fuzz/corpus/<name>/ and,
# where it has one, its dictionary tools/fuzz/<name>.dict. Configured with
# -DTESS_FUZZ=ON, which also instruments the framework for coverage (see the
# top CMakeLists.txt); tools/fuzz/fuzz.sh builds and runs them. The targets
# go to fuzz_targets.txt in the build folder for that script, one line each:
# the name and its kind, "parser" (no GL) or "gl" (a context in the tests' window).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TESS_FUZZ needs clang (libFuzzer): -DCMAKE_CXX_COMPILER=clang++")
endif()

# Parsers that need no GL context link this library alone.
set(TESS_FUZZ_PARSER_LIB tessaline_fw)

# The GL targets open the tests' window; built here without GoogleTest.
add_library(tess_fuzz_window STATIC ${PROJECT_SOURCE_DIR}/tests/support/test_window.cpp)
target_link_libraries(tess_fuzz_window PUBLIC tessaline_fw)
target_include_directories(tess_fuzz_window PUBLIC ${PROJECT_SOURCE_DIR})

set(TESS_FUZZ_TARGETS "")
set(TESS_FUZZ_LIST "")
function(tess_fuzz_target name kind)
  add_executable(fuzz_${name} ${PROJECT_SOURCE_DIR}/tools/fuzz/fuzz_${name}.cpp)
  if(kind STREQUAL "gl")
    target_link_libraries(fuzz_${name} PRIVATE tess_fuzz_window)
  else()
    target_link_libraries(fuzz_${name} PRIVATE ${TESS_FUZZ_PARSER_LIB})
  endif()
  target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(fuzz_${name} PRIVATE TESS_FUZZ_MAIN)
  target_compile_options(fuzz_${name} PRIVATE ${TESS_WARNINGS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set(TESS_FUZZ_TARGETS ${TESS_FUZZ_TARGETS} ${name} PARENT_SCOPE)
  set(TESS_FUZZ_LIST "${TESS_FUZZ_LIST}${name} ${kind}\n" PARENT_SCOPE)
endfunction()

tess_fuzz_target(config parser)
tess_fuzz_target(grow_array parser)
tess_fuzz_target(utils parser)
tess_fuzz_target(markup parser)
tess_fuzz_target(font_load gl)
tess_fuzz_target(font_spec gl)
tess_fuzz_target(text gl)
# The viewer's command line goes here once app/ has one:
#   tess_fuzz_target(cli parser)   (linking tessaline_app in place of the parser library)
# with tools/fuzz/fuzz_cli.cpp (TESS_FUZZ_TARGET(cli, ...)) and its seeds in
# tools/fuzz/corpus/cli/; fuzz.sh and the crasher replay test pick it up.

add_custom_target(fuzz_all)
foreach(name ${TESS_FUZZ_TARGETS})
  add_dependencies(fuzz_all fuzz_${name})
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${TESS_FUZZ_LIST}")
