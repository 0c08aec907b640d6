# vexar_add_test(NAME <target> [GUI] SOURCES ... LIBS ...)
# One GoogleTest executable per module, each test discovered on its own.
# The shared test main pins the locale (comma decimal) and the time zone
# (one with daylight saving), so nothing depends on the machine's settings.
# GUI tests run inside a QApplication on the off-screen platform.
function(vexar_add_test)
  if(NOT VEXAR_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} vexar_test_main_qt)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} vexar_test_main)
  endif()
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60)
endfunction()
