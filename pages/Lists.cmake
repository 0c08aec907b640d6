# The text fields, the drop-down lists (values, states, diagnosis codes,
# recovery actions and the plain lists of the dialogs), the command and
# reset buttons, with their creators, and the group frame and information
# field of the dialogs.
list(APPEND PAGES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FieldColours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlLabelled.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlEditInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlCombo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlBox.cpp
)
list(APPEND PAGES_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlEditTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlComboTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlComboRiprTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlButtonTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/ListsOnLineTest.cpp
)
