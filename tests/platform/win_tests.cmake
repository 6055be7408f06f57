# Windows-only platform tests: the shell's link object against the portable .lnk format, drives,
# system answers and messages of the Win32 layer. Wine's shell keeps a link's target in the ANSI
# code page, so this program runs as on a Russian system (code page 1251).
if(WIN32)
  include(${PROJECT_SOURCE_DIR}/tests/e2e/russian_locale.cmake)
  tlx_test(platform_win_tests shell_link_win_test.cpp system_win_test.cpp)
  set_tests_properties(platform_win_tests PROPERTIES ENVIRONMENT "${TLX_RUSSIAN_WINE_ENV}")
endif()
