# GoogleTest: Debian's packaged build natively, its sources for the cross build.
if(SORVANE_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest_main)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
    find_package(benchmark QUIET)
  endif()
  include(GoogleTest)
endif()

# Test programs: one helper so every folder's tests are registered alike,
# and the Windows ones run through the emulator (Wine) set by the toolchain.
function(sorvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main sorvane_warnings)
  if(CMAKE_CROSSCOMPILING)
    target_link_options(${name} PRIVATE -static)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # One Wine start per program: listing each case would start Wine hundreds of times.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "SORVANE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;WINEDEBUG=-all")
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES ENVIRONMENT "SORVANE_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  endif()
endfunction()
