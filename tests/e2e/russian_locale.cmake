# Windows programs under Wine as on a Russian system: code page 1251, Russian messages. Wine takes
# the system locale from LC_ALL, and needs the Linux locale itself for UTF-8 file names, so the
# ru_RU.UTF-8 locale is compiled once into the build folder (localedef, Debian package "locales")
# and reached through LOCPATH. TLX_RUSSIAN_WINE_ENV holds the ctest ENVIRONMENT entries.
set(TLX_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
if(NOT EXISTS ${TLX_LOCALE_DIR}/ru_RU.UTF-8/LC_CTYPE)
  find_program(TLX_LOCALEDEF localedef)
  if(TLX_LOCALEDEF)
    file(MAKE_DIRECTORY ${TLX_LOCALE_DIR})
    execute_process(COMMAND ${TLX_LOCALEDEF} -i ru_RU -f UTF-8 ${TLX_LOCALE_DIR}/ru_RU.UTF-8
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT EXISTS ${TLX_LOCALE_DIR}/ru_RU.UTF-8/LC_CTYPE)
    message(WARNING "cannot compile the ru_RU.UTF-8 locale: Wine tests run with code page 1252")
  endif()
endif()
set(TLX_RUSSIAN_WINE_ENV "LOCPATH=${TLX_LOCALE_DIR};LC_ALL=ru_RU.UTF-8")
