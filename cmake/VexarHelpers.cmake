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

# vexar_add_xvfb_test(NAME <name> [SCREEN <WxHxD>] COMMAND <program> <args>...)
# A test that shows a real window on a virtual X display (xvfb-run), of
# 1600x1200x24 unless SCREEN says otherwise. The X libraries under Qt's xcb
# platform keep memory to the end of the process, and the keyboard map
# library hands strndup a source that is not terminated within its buffer
# (it runs past the end before finding a zero, which the sanitizer reports
# however the string checks are set); both are the system's, so the test
# runs with the leak suppressions of those libraries and without the
# sanitizer's strndup interception. Nothing when xvfb-run is missing.
function(vexar_add_xvfb_test)
  if(NOT VEXAR_TESTS)
    return()
  endif()
  cmake_parse_arguments(X "" "NAME;SCREEN" "COMMAND" ${ARGN})
  if(NOT X_SCREEN)
    set(X_SCREEN 1600x1200x24)
  endif()
  find_program(XVFB_RUN xvfb-run)
  if(NOT XVFB_RUN)
    message(WARNING "xvfb-run not found (scripts/setup installs it): ${X_NAME} is not built")
    return()
  endif()
  add_test(NAME ${X_NAME} COMMAND ${XVFB_RUN} -a -s "-screen 0 ${X_SCREEN}" ${X_COMMAND})
  set_tests_properties(${X_NAME} PROPERTIES TIMEOUT 120 ENVIRONMENT
    "QT_QPA_PLATFORM=xcb;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/testing/support/xvfb-lsan.supp:print_suppressions=0;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=0:intercept_strndup=0")
endfunction()
