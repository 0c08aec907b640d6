# The controls over the instrument widgets: the toggle and lamp, the knob
# and gauges, the slide, bar and thermometer, the numeric and computed
# fields, with their shared bases, the numeric field's event sink and
# their creators.
list(APPEND PAGES_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlInstrument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlNumber.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlLed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlKnob.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlSlide.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlCmdTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCtrlNumEdit.cpp
)
list(APPEND PAGES_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlInstrumentTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlLedTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlKnobTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlSlideTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCtrlNumEditTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/HeldValueTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/InstrumentsOnLineTest.cpp
)
