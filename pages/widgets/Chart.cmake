# The chart and the map grid's cell store and geometry.
list(APPEND WIDGET_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CCWGraph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWGraphPlot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWGraphTicks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCellGrid.cpp
)
list(APPEND WIDGET_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCWGraphTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CWGraphPlotTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CWGraphTicksTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCellGridTest.cpp
)
