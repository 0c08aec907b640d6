# The knob, the slide, the numeric field and the boolean control, with what
# they share: the scale, the display-mask texts, the gestures and the
# drawing of panels, wells and labels.
list(APPEND WIDGET_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/CWValueText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWGesture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWPaint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWEditLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CWScaledControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCWKnob.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCWSlide.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCWNumEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CCWButton.cpp
)
list(APPEND WIDGET_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/tests/CWValueTextTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CWPaintTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCWKnobTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCWSlideTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCWNumEditTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tests/CCWButtonTest.cpp
)
