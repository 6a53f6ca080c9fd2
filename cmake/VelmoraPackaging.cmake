# Installing Velmora and building its packages.
#
#   cmake --install <build> [--prefix /usr]   the two programs, the menu entry, the icon, the
#                                              AppStream metainfo, the manual pages, the
#                                              README, copyright and changelog (packaging/)
#   cd <build> && cpack -G DEB                 velmora_<version>_<arch>.deb
#
# The package's library dependencies come from dpkg-shlibdeps; what the program loads at run
# time without linking it (Qt's German texts) is named here.
#
# The Windows build (the `windows` preset) makes a zip instead: see VelmoraWindowsPackage.
if(WIN32)
    include(VelmoraWindowsPackage)
    return()
endif()
include(GNUInstallDirs)

set(VELMORA_APP_ID "io.github.velmora.Velmora")

if(TARGET velmora)
    install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VELMORA_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VELMORA_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VELMORA_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
if(TARGET velmora-db)
    install(TARGETS velmora-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Manual pages and the changelog go in compressed, as Debian's policy wants them: gzip -n, so
# that the same sources give the same bytes.
set(VELMORA_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(velmora_gzipped)
function(velmora_gzip input name)
    set(output ${VELMORA_PACKAGING_OUT}/${name}.gz)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E copy ${input} ${VELMORA_PACKAGING_OUT}/${name}
        COMMAND gzip -9nf ${VELMORA_PACKAGING_OUT}/${name}
        DEPENDS ${input}
        COMMENT "Compressing ${name}"
        VERBATIM)
    set(velmora_gzipped ${velmora_gzipped} ${output} PARENT_SCOPE)
endfunction()
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${VELMORA_PACKAGING_OUT}/changelog.in
               @ONLY)
velmora_gzip(${VELMORA_PACKAGING_OUT}/changelog.in changelog)
velmora_gzip(${PROJECT_SOURCE_DIR}/packaging/velmora.1 velmora.1)
velmora_gzip(${PROJECT_SOURCE_DIR}/packaging/velmora-db.1 velmora-db.1)
add_custom_target(velmora_packaging_files ALL DEPENDS ${velmora_gzipped})

install(FILES ${VELMORA_PACKAGING_OUT}/velmora.1.gz ${VELMORA_PACKAGING_OUT}/velmora-db.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${VELMORA_PACKAGING_OUT}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

set(CPACK_PACKAGE_NAME "velmora")
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the channel database of a DVB receiver program")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora edits the channel database of a DVB receiver program for the PC,
a Jet (.mdb) file, in place and without Access: rename and renumber
channels, manage favourite groups, find duplicated channels, clean up
after a channel scan, compact the file and browse and edit every table.
velmora-db inspects and edits .mdb files from the shell.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmora maintainers <maintainers@velmora.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Message box buttons and the file dialog in German come from Qt's own translation.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# The Wayland platform plugin; without it Qt runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland, mdbtools")
include(CPack)
