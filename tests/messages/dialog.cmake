# Tests of the message dialog's models (native and under Wine) and of its windows (Wine on Xvfb).
if(TARGET tlx_messages)
  tlx_test(dialog_tests
    ${CMAKE_CURRENT_LIST_DIR}/text_layout_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog_model_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp)
  target_include_directories(dialog_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(dialog_tests PRIVATE tlx_messages)
endif()
# The message windows under Wine: a demo program shows one message, the UI driver answers it.
if(WIN32 AND TARGET tlx_messages_win)
  # With setup.exe's manifest, so the windows look as they do in the product.
  enable_language(RC)
  tlx_executable(dialog_demo ${CMAKE_CURRENT_LIST_DIR}/win/dialog_demo.cpp ${PROJECT_SOURCE_DIR}/resources/setup.rc)
  target_link_libraries(dialog_demo PRIVATE tlx_messages_win)
  target_link_options(dialog_demo PRIVATE -municode)
  # The dialog's controls measured with the system's fonts.
  tlx_test(dialog_win_tests ${CMAKE_CURRENT_LIST_DIR}/win/dialog_fit_test.cpp)
  target_link_libraries(dialog_win_tests PRIVATE tlx_messages_win)
  if(TARGET uidriver)
    if(TARGET setup)
      set(TLX_DIALOG_SETUP $<TARGET_FILE:setup>)
    else()
      set(TLX_DIALOG_SETUP unused)
    endif()
    add_test(NAME e2e_message_dialog COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/win/dialog_ui.sh)
    set_tests_properties(e2e_message_dialog PROPERTIES
      ENVIRONMENT "E2E_BUILD=${CMAKE_BINARY_DIR};SETUP_EXE=${TLX_DIALOG_SETUP};UIDRIVER_EXE=$<TARGET_FILE:uidriver>;DEMO_EXE=$<TARGET_FILE:dialog_demo>"
      SKIP_RETURN_CODE 77
      TIMEOUT 600
      RESOURCE_LOCK wine_display)
  endif()
endif()
