# The zip for Windows users:
#
#   cd build-windows && cpack                  velmora-<version>-windows-x64.zip
#
# One folder holding velmora.exe and velmora-db.exe (linked statically: nothing else is needed
# beside them), the user guide taken out of the README as README.txt and the licence as
# LICENSE.txt, both with Windows line ends so that Notepad shows them as they are meant.
set(VELMORA_PACKAGING_OUT ${PROJECT_BINARY_DIR}/packaging)
set(VELMORA_USER_GUIDE ${VELMORA_PACKAGING_OUT}/README.txt)
set(VELMORA_LICENCE_TEXT ${VELMORA_PACKAGING_OUT}/LICENSE.txt)
add_custom_command(
    OUTPUT ${VELMORA_USER_GUIDE} ${VELMORA_LICENCE_TEXT}
    COMMAND ${CMAKE_COMMAND} -DREADME=${PROJECT_SOURCE_DIR}/README.md
            -DLICENCE=${PROJECT_SOURCE_DIR}/LICENSE -DGUIDE_OUT=${VELMORA_USER_GUIDE}
            -DLICENCE_OUT=${VELMORA_LICENCE_TEXT}
            -P ${PROJECT_SOURCE_DIR}/cmake/user_guide.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
            ${PROJECT_SOURCE_DIR}/cmake/user_guide.cmake
    COMMENT "Taking the user guide out of the README"
    VERBATIM)
add_custom_target(velmora_packaging_files ALL DEPENDS ${VELMORA_USER_GUIDE}
                                                      ${VELMORA_LICENCE_TEXT})

foreach(program velmora velmora-db)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
endforeach()
install(FILES ${VELMORA_USER_GUIDE} ${VELMORA_LICENCE_TEXT} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "velmora")
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "velmora-${PROJECT_VERSION}-windows-x64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
