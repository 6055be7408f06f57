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
if(WIN32 AND TARGET tlx_messages)
  tlx_library(tlx_messages_win
    ${CMAKE_CURRENT_LIST_DIR}/win/window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/common_controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/pictures.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/dc_measurer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/message_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/bs_box_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/win_sink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win/zcontrols.cpp)
  # UxTheme.dll is no known DLL: it is loaded from the system folder at run time, never imported.
  target_link_libraries(tlx_messages_win PUBLIC tlx_messages comctl32 gdi32 user32)
endif()
