# Runs at install time, when the prefix is known: writes quillet-judge.service with the places
# of the installed program and of its environment file, and installs both. The environment file
# goes into /etc for the /usr prefix and into <prefix>/etc for any other.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(sysconfdir /etc)
else()
  set(sysconfdir ${CMAKE_INSTALL_PREFIX}/etc)
endif()
set(QUILLET_BINDIR ${CMAKE_INSTALL_PREFIX}/${QUILLET_INSTALL_BINDIR})
set(QUILLET_JUDGE_ENV_FILE ${sysconfdir}/default/quillet-judge)
configure_file(${QUILLET_SOURCE_DIR}/data/quillet-judge.service.in
               ${QUILLET_BINARY_DIR}/data/quillet-judge.service @ONLY)
# file(INSTALL) puts $DESTDIR in front and records the files in the install manifest.
file(INSTALL DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/systemd/system TYPE FILE
     FILES ${QUILLET_BINARY_DIR}/data/quillet-judge.service)
file(INSTALL DESTINATION ${sysconfdir}/default TYPE FILE RENAME quillet-judge
     FILES ${QUILLET_SOURCE_DIR}/data/quillet-judge.env)
