# Installing Tidecast like a desktop application, and its Debian package.
#
# Every destination is relative to the prefix, so the tree installs anywhere:
#   cmake --install build --prefix "$HOME/opt/tidecast"
# and the programs find their files relative to themselves (ui/ProgramFiles.h). Spelling uses the
# system's Hunspell dictionaries in /usr/share/hunspell; none is copied.
include(GNUInstallDirs)

# Debian installs a package's documents under its package name.
set(TIDECAST_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tidecast)

install(TARGETS tidecast-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TIDECAST_BUILD_GUI)
    install(TARGETS tidecast RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_BINARY_DIR}/app/tidecast-help.html DESTINATION ${CMAKE_INSTALL_DATADIR}/tidecast)
    install(FILES data/${TIDECAST_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(data/${TIDECAST_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/data/${TIDECAST_APP_ID}.metainfo.xml
        @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/data/${TIDECAST_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    set(icon_theme ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES data/icons/${TIDECAST_APP_ID}.svg DESTINATION ${icon_theme}/scalable/apps)
    foreach(size ${TIDECAST_ICON_SIZES})
        install(FILES ${TIDECAST_ICON_PNG_DIR}/${size}.png DESTINATION ${icon_theme}/${size}x${size}/apps
            RENAME ${TIDECAST_APP_ID}.png)
    endforeach()
endif()

configure_file(data/changelog.in ${PROJECT_BINARY_DIR}/data/changelog @ONLY)
install(FILES data/copyright DESTINATION ${TIDECAST_DOC_DIR})

# Man pages made from the programs' own --help and --version, so they never drift from them.
# Not in sanitizer builds, whose programs are for the tests only.
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
set(man_pages)
set(man_sources ${PROJECT_BINARY_DIR}/data/changelog)
if(HELP2MAN AND GZIP AND NOT TIDECAST_SANITIZE)
    set(man_programs tidecast-cli "mail groups of recipients from the command line")
    if(TIDECAST_BUILD_GUI)
        list(APPEND man_programs tidecast "mail groups of recipients, personally or in bulk")
    endif()
    while(man_programs)
        list(POP_FRONT man_programs program description)
        set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${HELP2MAN} --no-info --no-discard-stderr --section=1 --name=${description}
                --output=${page} $<TARGET_FILE:${program}>
            COMMAND ${GZIP} -9nf ${page}
            DEPENDS ${program}
            COMMENT "Making the ${program}(1) man page from its --help"
            VERBATIM)
        list(APPEND man_pages ${page}.gz)
    endwhile()
    install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "Man pages: not made (help2man or gzip missing, or a sanitizer build)")
endif()

# Debian wants the changelog compressed without a timestamp.
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/data/changelog.gz
    COMMAND ${GZIP} -9nkf ${PROJECT_BINARY_DIR}/data/changelog
    DEPENDS ${PROJECT_BINARY_DIR}/data/changelog
    VERBATIM)
add_custom_target(tidecast_install_files ALL DEPENDS ${man_pages} ${PROJECT_BINARY_DIR}/data/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/data/changelog.gz DESTINATION ${TIDECAST_DOC_DIR})

# The Debian package: cpack --config build/CPackConfig.cmake (scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tidecast)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_CONTACT "${TIDECAST_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mail groups of recipients, personally or in bulk")
# The extended description, in lines short enough for an 80-column terminal.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Tidecast distributes e-mail to groups of recipients. You keep named groups"
    "of recipients, compose a message with merge macros, attachments and an"
    "optional HTML file, and send it through your SMTP server, one personalised"
    "message per recipient or in bulk. An exclusion list, filters and resumable"
    "mailings with logs come with it, and tidecast-cli runs the same work from"
    "scripts and cron jobs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TIDECAST_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The default dictionary, a browser for the help page, Qt's Wayland platform where it runs, a
# keyring to keep the server passwords in, and the icon theme that stands in where the desktop's
# own theme lacks an icon.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "hunspell-en-us | hunspell-dictionary, xdg-utils, qt6-wayland, gnome-keyring | keepassxc, adwaita-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
