# Small helpers shared by the libraries' CMake files.
#
# Sources are named explicitly in each folder's CMakeLists.txt; tests, benchmarks and
# fuzz targets use the helpers below so that every folder builds them the same way.

# mwex_library(<name> SOURCES ... DEPS ...)
# A static library whose headers are included from the source root ("lyrics/timetag.h").
function(mwex_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
endfunction()

# mwex_test(<name> SOURCES ... DEPS ... [GUI])
# A GoogleTest executable run by ctest. Tests of window code use the GUI main
# (QApplication, offscreen platform); all others a QCoreApplication main.
function(mwex_test name)
  if(NOT MWEX_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "GUI" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  if(A_GUI)
    target_link_libraries(${name} PRIVATE mwex_testmain_gui)
  else()
    target_link_libraries(${name} PRIVATE mwex_testmain_core)
  endif()
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${A_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MWEX_SOURCE_DIR=${PROJECT_SOURCE_DIR};MWEX_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()

# mwex_benchmark(<name> SOURCES ... DEPS ...): a Google Benchmark program (built, not run by ctest).
function(mwex_benchmark name)
  if(NOT MWEX_BENCH)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark)
endfunction()

# mwex_fuzzer(<name> SOURCES ... DEPS ...): a libFuzzer target, only with MWEX_FUZZ.
function(mwex_fuzzer name)
  if(NOT MWEX_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
