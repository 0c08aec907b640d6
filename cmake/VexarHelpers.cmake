# vexar_add_test(NAME <target> SOURCES ... LIBS ... [ENV VAR=value ...])
# One GoogleTest executable per module; every test runs with a temporary
# program folder and under a comma-decimal locale with a pinned time zone,
# so nothing depends on the machine's own settings.
function(vexar_add_test)
  if(NOT VEXAR_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} vexar_test_support)
  set(env "LC_ALL=de_DE.UTF-8" "TZ=Europe/Rome" ${T_ENV})
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}")
endfunction()
