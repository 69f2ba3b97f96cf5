# Installation and packages: a .deb (program, manual page, examples) on Linux,
# a .zip (program, README, license, examples) for Windows.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME g91to90)
set(CPACK_PACKAGE_VENDOR "g91to90 developers")
set(CPACK_PACKAGE_CONTACT "g91to90 project <no-reply@g91to90.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "rewrite G-code part programs from incremental (G91) to absolute (G90) mode")
set(CPACK_PACKAGE_DESCRIPTION
    "g91to90 reads a CNC part program written in incremental distance mode and writes the same program in absolute distance mode, with every X, Y and Z word carrying the absolute coordinate that the move reaches.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}")
set(CPACK_STRIP_FILES ON)
# The example programs and the answers some of them need at the prompts.
file(GLOB G91TO90_EXAMPLES ${PROJECT_SOURCE_DIR}/examples/*.nc
     ${PROJECT_SOURCE_DIR}/examples/*.answers)

if(WIN32)
    install(TARGETS g91to90 RUNTIME DESTINATION .)
    install(FILES README.md LICENSE CHANGELOG.md DESTINATION .)
    install(FILES docs/windows-README.txt DESTINATION . RENAME README.txt)
    install(FILES ${G91TO90_EXAMPLES} DESTINATION examples)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-windows-x86_64")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    install(TARGETS g91to90 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # Manual pages are installed compressed.
    set(manual ${PROJECT_BINARY_DIR}/g91to90.1.gz)
    file(ARCHIVE_CREATE OUTPUT ${manual} PATHS ${PROJECT_SOURCE_DIR}/docs/g91to90.1
         FORMAT raw COMPRESSION GZip)
    install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
    install(FILES CHANGELOG.md README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${G91TO90_EXAMPLES} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    # Depends computed from the program's libraries by dpkg-shlibdeps.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
