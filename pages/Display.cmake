# The small display classes (list view, radio button, static texts, tab
# strip) and the controls' tooltip.
list(APPEND PAGES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlToolTip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlRdb.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlStatic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlTab.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlTextInfo.cpp
)
list(APPEND PAGES_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlListTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlRdbTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlStaticTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlTabTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlTextInfoTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlToolTipTest.cpp
)
