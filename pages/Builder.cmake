# The control factory, the page builder, the configured page window and the
# page hosts; the pages of the synthetic configuration loaded as the view
# loads them (a fixture of the tests and of the pages program in
# testing/pages), and the pages program itself.
list(APPEND PAGES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CUtilityFactory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CUtilityLabels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CUtilityBuilder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageScroller.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDlgTabWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDlgTabSB.cpp
)

set(PAGES_FIXTURE_DIR ${PROJECT_SOURCE_DIR}/testing/pages)
add_library(vexar_pages_fixture STATIC
  ${PAGES_FIXTURE_DIR}/PagesFixture.cpp
  ${PAGES_FIXTURE_DIR}/RecordingFixedPage.cpp
)
target_include_directories(vexar_pages_fixture PUBLIC ${PAGES_FIXTURE_DIR})
target_link_libraries(vexar_pages_fixture PUBLIC vexar_pages vexar_fixtures)

# Both page windows of the synthetic configuration against the simulated
# ECU on a pseudo-terminal; --screenshot FILE writes them into a picture.
add_executable(vexar-pages ${PAGES_FIXTURE_DIR}/vexar_pages.cpp)
target_link_libraries(vexar-pages PRIVATE vexar_pages_fixture vexar_ecusim)

if(VEXAR_TESTS)
  # The arithmetic without a screen.
  vexar_add_test(NAME pages_builder_core_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/BuilderCoreTest.cpp
    LIBS vexar_pages_core vexar_fixtures vexar_test_controls)
  vexar_add_test(NAME pages_builder_tests GUI
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/PageBuilderTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/CDlgTabWndTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/CDlgTabSBTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/HostsOnLineTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/WheelOnLineTest.cpp
    LIBS vexar_pages_fixture vexar_test_controls vexar_ecu_rig vexar_test_support)
  target_include_directories(pages_builder_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)

  vexar_add_xvfb_test(NAME vexar_pages_screenshot SCREEN 1920x1080x24
    COMMAND $<TARGET_FILE:vexar-pages> --screenshot ${CMAKE_BINARY_DIR}/pages.png)
endif()
