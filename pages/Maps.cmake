# The calibration maps: the map control over the grid's cell store with its
# painting, operating-point marker, editing, clipboard, undo and file
# lines, its change dialog, and the maps' toolbox members (creator, axis
# set-up, size on a page, marker links). The rules that need no widget
# (shape and addresses, the pending write range, selection, clipboard text,
# the operating point's location and links) join the pages core.
target_sources(vexar_pages_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/core/GridShape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/GridSelection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/GridClipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/GridLocate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/GridMarker.cpp
)
list(APPEND PAGES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlGridEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlGridPaint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlGridFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CDlgModGridVal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CUtilityGrid.cpp
)

if(VEXAR_TESTS)
  vexar_add_test(NAME pages_maps_core_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/GridCoreTest.cpp
    LIBS vexar_pages_core vexar_test_controls)
  target_include_directories(pages_maps_core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
  vexar_add_test(NAME pages_maps_tests GUI
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlGridTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlGridEditTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlGridFileTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/CDlgModGridValTest.cpp
      ${CMAKE_CURRENT_LIST_DIR}/tests/MapsOnLineTest.cpp
    LIBS vexar_pages vexar_pages_fixture vexar_test_support vexar_test_controls vexar_crypt vexar_fixtures
      vexar_ecu_rig)
  target_include_directories(pages_maps_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
endif()

if(VEXAR_BENCH)
  # A 32 x 32 map with both axes: creation, repaints, marker moves, a change
  # of every cell, a paste, an undo, and its calibration lines.
  add_executable(map_bench ${PROJECT_SOURCE_DIR}/bench/MapBench.cpp)
  target_link_libraries(map_bench PRIVATE vexar_pages)
endif()
