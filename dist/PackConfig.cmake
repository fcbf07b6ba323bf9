# Read by CPack for each package it makes: which install component the
# package holds. Installing a named component also keeps CPack's staging
# install out of build/install_manifest.txt, the record of a real
# `cmake --install` that the uninstall target reads.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_DIMMERLING_BUILD_DIR};dimmerling;system;/")
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_INSTALL_PREFIX /usr)
    # The autostart entry's absolute /etc destination lands in the package.
    set(CPACK_SET_DESTDIR ON)
else()
    set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_DIMMERLING_BUILD_DIR};dimmerling;portable;/")
    set(CPACK_DIMMERLING_README ${CPACK_DIMMERLING_SOURCE_DIR}/README.md)
    set(CPACK_PRE_BUILD_SCRIPTS ${CPACK_DIMMERLING_SOURCE_DIR}/dist/PackPortable.cmake)
endif()
