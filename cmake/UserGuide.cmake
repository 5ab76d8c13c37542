# The user guide: docs/user-guide.md made into user-guide.html beside the program (where the
# program looks first, so a build folder has its help) and installed into share/doc/quillet.
find_program(QUILLET_MARKDOWN markdown_py)
if(NOT QUILLET_MARKDOWN)
  message(FATAL_ERROR "markdown_py is missing: run scripts/install-deps.sh run")
endif()
set(QUILLET_USER_GUIDE ${CMAKE_BINARY_DIR}/user-guide.html)
add_custom_command(
  OUTPUT ${QUILLET_USER_GUIDE}
  COMMAND ${CMAKE_COMMAND} -DMARKDOWN=${QUILLET_MARKDOWN}
          -DINPUT=${PROJECT_SOURCE_DIR}/docs/user-guide.md -DOUTPUT=${QUILLET_USER_GUIDE}
          -P ${PROJECT_SOURCE_DIR}/cmake/RenderUserGuide.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/user-guide.md ${PROJECT_SOURCE_DIR}/cmake/RenderUserGuide.cmake
  COMMENT "User guide"
  VERBATIM)
add_custom_target(user-guide ALL DEPENDS ${QUILLET_USER_GUIDE})
