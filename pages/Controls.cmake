# The control base over Qt, the accelerator table of the pages and the
# control classes with their creators.
list(APPEND PAGES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Accelerators.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlBase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CUtilityPages.cpp
)
list(APPEND PAGES_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlCheckTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CheckOnLineTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CUtilityPagesTest.cpp
)
