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

# The parameter image of a calibration of the synthetic configuration, made
# by the program's own controls off screen; the demonstration's simulated
# ECU starts from the City calibration's (ecusim --par-file).
add_executable(vexar-par-image ${PAGES_FIXTURE_DIR}/vexar_par_image.cpp)
target_link_libraries(vexar-par-image PRIVATE vexar_pages_fixture vexar_crypt)
set(VEXAR_DEMO_CALIBRATION ${PROJECT_SOURCE_DIR}/testing/data/calibration/VXG4_R0107_City.DAT.txt)
set(VEXAR_DEMO_PAR_IMAGE ${CMAKE_BINARY_DIR}/demo-data/VXG4_R0107_City.par)
file(GLOB VEXAR_SYNTHETIC_CONFIG_FILES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/testing/data/config/VXG4/VXG4_R0107/*
  ${PROJECT_SOURCE_DIR}/testing/data/Lang/*)
add_custom_command(OUTPUT ${VEXAR_DEMO_PAR_IMAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/demo-data
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    $<TARGET_FILE:vexar-par-image> ${VEXAR_DEMO_CALIBRATION} ${VEXAR_DEMO_PAR_IMAGE}
  DEPENDS vexar-par-image ${VEXAR_DEMO_CALIBRATION} ${VEXAR_SYNTHETIC_CONFIG_FILES}
  COMMENT "The City calibration's parameter image")
# Not part of the default build: scripts/demo asks for it.
add_custom_target(vexar_demo_par_image DEPENDS ${VEXAR_DEMO_PAR_IMAGE})

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
      ${CMAKE_CURRENT_LIST_DIR}/tests/ParImageToolTest.cpp
    LIBS vexar_pages_fixture vexar_test_controls vexar_ecu_rig vexar_test_support vexar_crypt)
  target_include_directories(pages_builder_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
  target_compile_definitions(pages_builder_tests PRIVATE VEXAR_PAR_IMAGE_EXE="$<TARGET_FILE:vexar-par-image>")
  add_dependencies(pages_builder_tests vexar-par-image)

  vexar_add_xvfb_test(NAME vexar_pages_screenshot SCREEN 1920x1080x24
    COMMAND $<TARGET_FILE:vexar-pages> --screenshot ${CMAKE_BINARY_DIR}/pages.png)
endif()
