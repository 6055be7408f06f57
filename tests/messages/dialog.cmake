# Tests of the message dialog's models (native and under Wine) and of its windows (Wine on Xvfb).
if(TARGET tlx_messages)
  tlx_test(dialog_tests
    ${CMAKE_CURRENT_LIST_DIR}/text_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog_model_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp)
  target_include_directories(dialog_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(dialog_tests PRIVATE tlx_messages)
endif()
