# zandri_test(NAME SOURCES... LIBS ...): one GoogleTest executable registered with ctest.
function(zandri_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  include(GoogleTest)
  # gtest_discover_tests re-splits PROPERTIES, so only one variable can pass this way;
  # resources are found through the bin/ links beside the test executables.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# zandri_library(NAME SOURCES... DEPS ...): a module library with src/ on its include path.
function(zandri_library name)
  cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${L_DEPS})
endfunction()
