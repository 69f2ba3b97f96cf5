# Installation and packages: a .deb (program, manual page, examples, the
# library and its header) on Linux, a .zip (program, README, license,
# examples) for Windows.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(CPACK_PACKAGE_NAME g91to90)
set(CPACK_PACKAGE_VENDOR "g91to90 developers")
set(CPACK_PACKAGE_CONTACT "g91to90 project <no-reply@g91to90.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "rewrite G-code part programs from incremental (G91) to absolute (G90) mode")
# Lines of at most 80 characters, as Debian's description rules ask.
set(CPACK_PACKAGE_DESCRIPTION
    "g91to90 reads a CNC part program written in incremental distance mode\n\
and writes the same program in absolute distance mode, with every X, Y and\n\
Z word carrying the absolute coordinate that the move reaches. What it\n\
cannot convert exactly stops the run with a message naming the line.")
# The day this version was released, as Debian's changelog writes it.
set(G91TO90_RELEASE_DATE "Mon, 07 Dec 2026 12:00:00 +0000")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}")
set(CPACK_STRIP_FILES ON)
# The example programs and the answers some of them need at the prompts.
# The web page is built by the `web` preset (with Emscripten, which the other
# builds do without) and installed only when this names it; the environment
# variable of the same name gives it to a workflow preset.
set(G91TO90_WEB_PAGE "$ENV{G91TO90_WEB_PAGE}" CACHE FILEPATH
    "The built web page (g91to90.html) to install; empty for none")
file(GLOB G91TO90_EXAMPLES ${PROJECT_SOURCE_DIR}/examples/*.nc
     ${PROJECT_SOURCE_DIR}/examples/*.answers ${PROJECT_SOURCE_DIR}/examples/*.options)

if(WIN32)
    install(TARGETS g91to90 RUNTIME DESTINATION .)
    install(FILES README.md LICENSE CHANGELOG.md DESTINATION .)
    # The short README for Windows, with the CR LF line ends Notepad expects.
    file(READ ${PROJECT_SOURCE_DIR}/docs/windows-README.txt windows_readme)
    string(REPLACE "\n" "\r\n" windows_readme "${windows_readme}")
    file(WRITE ${PROJECT_BINARY_DIR}/README.txt "${windows_readme}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${PROJECT_SOURCE_DIR}/docs/windows-README.txt)
    install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
    install(FILES ${G91TO90_EXAMPLES} DESTINATION examples)
    # Beside the program, where `g91to90 --web` looks for it.
    if(G91TO90_WEB_PAGE)
        install(FILES ${G91TO90_WEB_PAGE} DESTINATION .)
    endif()
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-windows-x86_64")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    install(TARGETS g91to90 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # The manual page and the changelog are installed compressed as Debian
    # asks: gzip at its best, without a name or a time stamp inside.
    find_program(G91TO90_GZIP gzip REQUIRED)
    set(manual ${PROJECT_BINARY_DIR}/g91to90.1.gz)
    set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
    execute_process(COMMAND ${G91TO90_GZIP} -9nc ${PROJECT_SOURCE_DIR}/docs/g91to90.1
                    OUTPUT_FILE ${manual} COMMAND_ERROR_IS_FATAL ANY)
    # A native package's changelog is in Debian's format; it points to the
    # project's own changelog, installed beside it.
    set(debian_changelog ${PROJECT_BINARY_DIR}/changelog)
    file(WRITE ${debian_changelog}
         "g91to90 (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
         "  * What changed in this version: /usr/share/doc/g91to90/CHANGELOG.md.\n\n"
         " -- ${CPACK_PACKAGE_CONTACT}  ${G91TO90_RELEASE_DATE}\n")
    execute_process(COMMAND ${G91TO90_GZIP} -9nc ${debian_changelog}
                    OUTPUT_FILE ${changelog} COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${PROJECT_SOURCE_DIR}/docs/g91to90.1 ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
    install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
    install(FILES ${changelog} CHANGELOG.md README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${G91TO90_EXAMPLES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
    # The library: its header, the static (or shared) library, and how CMake
    # and pkg-config find them.
    install(TARGETS g91to90_library EXPORT g91to90Targets
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/include/g91to90/g91to90.hpp
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/g91to90)
    set(package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/g91to90)
    install(EXPORT g91to90Targets NAMESPACE g91to90:: DESTINATION ${package_dir})
    configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/g91to90Config.cmake.in
                                  ${PROJECT_BINARY_DIR}/g91to90Config.cmake
                                  INSTALL_DESTINATION ${package_dir})
    write_basic_package_version_file(${PROJECT_BINARY_DIR}/g91to90ConfigVersion.cmake
                                     COMPATIBILITY SameMajorVersion)
    install(FILES ${PROJECT_BINARY_DIR}/g91to90Config.cmake
                  ${PROJECT_BINARY_DIR}/g91to90ConfigVersion.cmake DESTINATION ${package_dir})
    # Found from where it is installed: any prefix.
    file(RELATIVE_PATH G91TO90_PC_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/g91to90.pc.in ${PROJECT_BINARY_DIR}/g91to90.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/g91to90.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
    # In ../share/g91to90/ from the program, where `g91to90 --web` looks for it.
    if(G91TO90_WEB_PAGE)
        install(FILES ${G91TO90_WEB_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/g91to90)
    endif()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # Depends computed from the program's libraries by dpkg-shlibdeps.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
