# luma_add_test(<name> SOURCES <files...> [LIBS <targets...>] [ENV <VAR=value...>] [GUI])
# Builds one GoogleTest binary and registers each of its tests with ctest.
# GUI tests run on Qt's offscreen platform.
function(luma_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  # The source tree as the binary was built from it, for tests that read
  # files there; a binary started by hand finds it without the environment.
  target_compile_definitions(${name} PRIVATE LUMA_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set(env ${T_ENV} "LUMA_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "LUMA_BINARY_DIR=${PROJECT_BINARY_DIR}")
  if(T_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  # gtest_discover_tests cannot hand a list of variables to the test
  # properties, so the tests run (and are listed) through env(1).
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "/usr/bin/env;${env}")
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300)
endfunction()
