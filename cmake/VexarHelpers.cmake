# vexar_add_test(NAME <target> SOURCES ... LIBS ...)
# One GoogleTest executable per module, each test discovered on its own.
# The shared test main pins the locale (comma decimal) and the time zone
# (one with daylight saving), so nothing depends on the machine's settings.
function(vexar_add_test)
  if(NOT VEXAR_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} vexar_test_support)
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60)
endfunction()
