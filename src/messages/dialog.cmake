# The message dialog's models (portable, part of tlx_messages) and its Win32 windows.
if(TARGET tlx_messages)
  target_sources(tlx_messages PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/text_layout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lang_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog_model.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zbutton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ml_caption.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ztext.cpp
    ${CMAKE_CURRENT_LIST_DIR}/btn_panel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scale_form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bs_box.cpp)
endif()
