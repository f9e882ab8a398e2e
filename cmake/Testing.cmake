# brimlet_add_test(NAME SOURCES... LIBS ...) : a GoogleTest binary registered with CTest.
# Binaries whose name ends in _concurrency_tests are the only ones built under the tsan preset.
function(brimlet_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(BRIMLET_CONCURRENCY_ONLY AND NOT name MATCHES "_concurrency_tests$")
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main brimlet_warnings)
  target_compile_definitions(${name} PRIVATE
    BRIMLET_SOURCE_DIR="${BRIMLET_ROOT}"
    BRIMLET_TESTDATA_DIR="${BRIMLET_ROOT}/../shared/testdata")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300)
endfunction()
