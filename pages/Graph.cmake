# The graph of the graph pages (traces, stored ranges, stepping cursor with
# its labels, toolbar and readouts) and the variable pickers. The rules that
# need no widget join the pages core.
target_sources(vexar_pages_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/core/GraphRanges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/GraphTraces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/GraphView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/CUtilityPicker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core/AcqSelection.cpp
)
list(APPEND PAGES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/GraphToolImages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlGraph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CUtilityPickers.cpp
)

if(VEXAR_TESTS)
  vexar_add_test(NAME pages_graph_core_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/GraphCoreTest.cpp ${CMAKE_CURRENT_LIST_DIR}/tests/AcqSelectionTest.cpp
    LIBS vexar_pages_core vexar_test_controls vexar_test_support)
  target_include_directories(pages_graph_core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
  vexar_add_test(NAME pages_graph_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlGraphTest.cpp
    LIBS vexar_pages vexar_test_support vexar_test_controls vexar_fixtures)
  target_include_directories(pages_graph_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
  vexar_add_test(NAME pages_picker_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/CUtilityPickersTest.cpp
    LIBS vexar_pages_fixture vexar_test_support vexar_test_controls)
  target_include_directories(pages_picker_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
endif()

if(VEXAR_BENCH)
  # Ten live traces of 10 000 points through the graph: appending, a
  # repaint, a cursor step and a restore.
  add_executable(graph_bench ${PROJECT_SOURCE_DIR}/bench/GraphBench.cpp)
  target_link_libraries(graph_bench PRIVATE vexar_pages)
endif()
