# Windows: the release zip (cpack -G ZIP in a MinGW-w64 build), holding
# brindlemark.exe, README.txt and LICENSE.txt at its top.

install(TARGETS brindlemark RUNTIME DESTINATION .)

# brindlemark_windows_text(SOURCE NAME): SOURCE with CRLF line ends, as
# Windows editors expect them, installed as NAME. Written at configure time;
# a change of SOURCE configures again.
function(brindlemark_windows_text source name)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${name} DESTINATION .)
endfunction()

brindlemark_windows_text(${CMAKE_CURRENT_SOURCE_DIR}/windows/README.txt README.txt)
brindlemark_windows_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_PACKAGE_FILE_NAME brindlemark-${PROJECT_VERSION}-win64)
else()
  set(CPACK_PACKAGE_FILE_NAME brindlemark-${PROJECT_VERSION}-win32)
endif()
