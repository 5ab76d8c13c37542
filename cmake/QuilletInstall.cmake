# What an install puts where on Linux and the other Unix desktops: the three programs, the
# sample list, the desktop entry, the icon, the AppStream metadata, the manual pages and the
# judge's service unit. The test and benchmark programs are not installed.
include(GNUInstallDirs)

# Installs a file of the build folder compressed, as Debian keeps manual pages and changelogs.
function(quillet_install_gzipped file destination)
  get_filename_component(name ${file} NAME)
  add_custom_command(
    OUTPUT ${file}.gz
    COMMAND gzip -9nkf ${file}
    DEPENDS ${file})
  add_custom_target(gzip-${name} ALL DEPENDS ${file}.gz)
  install(FILES ${file}.gz DESTINATION ${destination})
endfunction()

set(QUILLET_APP_ID example.brasklet.Quillet)
set(QUILLET_RELEASE_DATE 2026-12-06)  # the day the version in project() was released

install(TARGETS quillet-check quillet-judge RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/QuilletD.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/quillet)
install(FILES data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillet)

# The release's changelog entry, in the form Debian's tools read.
execute_process(COMMAND date -uR -d ${QUILLET_RELEASE_DATE} OUTPUT_VARIABLE changelog_date
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(data/changelog.in ${CMAKE_BINARY_DIR}/data/changelog @ONLY)
quillet_install_gzipped(${CMAKE_BINARY_DIR}/data/changelog ${CMAKE_INSTALL_DATADIR}/doc/quillet)

# Manual pages made from the programs' own --help, so that they never drift from it.
find_program(QUILLET_HELP2MAN help2man)
if(NOT QUILLET_HELP2MAN)
  message(FATAL_ERROR "help2man is missing: run scripts/install-deps.sh run")
endif()
set(man_names "check the proxies of a Quillet list file" "a judge page for Quillet's proxy checks")
foreach(program quillet-check quillet-judge)
  list(POP_FRONT man_names name)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  # What --help does not say (exit status, files) comes from data/man/<program>.h2m.
  set(more ${PROJECT_SOURCE_DIR}/data/man/${program}.h2m)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${QUILLET_HELP2MAN} --no-info --version-string=${PROJECT_VERSION} "--name=${name}"
            --include=${more} --output=${page} $<TARGET_FILE:${program}>
    DEPENDS ${program} ${more}
    COMMENT "Manual page of ${program}"
    VERBATIM)
  quillet_install_gzipped(${page} ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The judge's service unit names the installed program and its environment file, whose places
# are known only when the install runs (cmake --install --prefix, or the package's /usr).
install(CODE "
  set(QUILLET_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(QUILLET_BINARY_DIR \"${PROJECT_BINARY_DIR}\")
  set(QUILLET_INSTALL_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/InstallJudgeService.cmake\")")

if(NOT QUILLET_WITH_QT)
  return()
endif()

install(TARGETS quillet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUILLET_USER_GUIDE} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillet)
# Quillet's own page is written by hand: the window program has no --help.
configure_file(data/man/quillet.1.in ${CMAKE_BINARY_DIR}/man/quillet.1 @ONLY)
quillet_install_gzipped(${CMAKE_BINARY_DIR}/man/quillet.1 ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/${QUILLET_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(data/${QUILLET_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/data/${QUILLET_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/data/${QUILLET_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: the artwork itself, and the usual bitmap sizes rendered from it.
set(icon_themes ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES data/icons/quillet.svg DESTINATION ${icon_themes}/scalable/apps
        RENAME ${QUILLET_APP_ID}.svg)
find_program(QUILLET_RSVG_CONVERT rsvg-convert)
if(NOT QUILLET_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert is missing: run scripts/install-deps.sh run")
endif()
set(icon_files)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${QUILLET_APP_ID}.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${QUILLET_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
            ${PROJECT_SOURCE_DIR}/data/icons/quillet.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/data/icons/quillet.svg)
  list(APPEND icon_files ${png})
  install(FILES ${png} DESTINATION ${icon_themes}/${size}x${size}/apps)
endforeach()
add_custom_target(quillet-icons ALL DEPENDS ${icon_files})
