# The zip a pilot unpacks into the simulator's folder: the deliverables, stripped,
# and INSTALL.txt with Windows line ends. Made by `cpack` in the build folder.
configure_file(${PROJECT_SOURCE_DIR}/docs/INSTALL.txt ${PROJECT_BINARY_DIR}/INSTALL.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/INSTALL.txt DESTINATION .)

string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" suite_target)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME panelsuite)
set(CPACK_PACKAGE_FILE_NAME panelsuite-${PROJECT_VERSION}-${suite_target})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
