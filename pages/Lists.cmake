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

if(VEXAR_TESTS)
  # The lists of the synthetic configuration, loaded as the view loads it.
  vexar_add_test(NAME pages_lists_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/ListsSyntheticTest.cpp
    LIBS vexar_pages_fixture vexar_test_core_controls vexar_ui_test_support vexar_test_controls vexar_crypt
      vexar_fixtures vexar_ecu_rig vexar_test_support)
  target_include_directories(pages_lists_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/tests)
endif()
