# Install-time part of dist/CMakeLists.txt.

# A desktop entry's Exec value for one program path, quoted when it must be.
function(desktop_exec path out)
    if(path MATCHES "^[A-Za-z0-9_./+-]+$")
        set(${out} "${path}" PARENT_SCOPE)
        return()
    endif()
    string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" quoted "${path}")
    string(REPLACE "\\" "\\\\" quoted "${quoted}")
    string(REPLACE "%" "%%" quoted "${quoted}")
    set(${out} "\"${quoted}\"" PARENT_SCOPE)
endfunction()

# The program reads settings.ini beside itself: ship the default, but never
# over one the user has, since it holds their settings.
set(folder "${CMAKE_INSTALL_PREFIX}/${DIMMERLING_FOLDER}")
if(EXISTS "$ENV{DESTDIR}${folder}/settings.ini")
    message(STATUS "Kept: $ENV{DESTDIR}${folder}/settings.ini")
else()
    file(INSTALL "${DIMMERLING_SOURCE_DIR}/resources/settings.ini" DESTINATION "${folder}")
endif()

# The launcher on the PATH: a relative link, so the folder can move. The
# program finds its folder through /proc/self/exe, past the link.
file(MAKE_DIRECTORY "${DIMMERLING_STAGE_DIR}/bin")
file(CREATE_LINK "../${DIMMERLING_FOLDER}/dimmerling" "${DIMMERLING_STAGE_DIR}/bin/dimmerling" SYMBOLIC)
file(INSTALL "${DIMMERLING_STAGE_DIR}/bin/dimmerling" DESTINATION "${CMAKE_INSTALL_PREFIX}/bin")

# Desktop entries name the launcher by its full path: ~/.local/bin is not on
# every session's PATH.
desktop_exec("${CMAKE_INSTALL_PREFIX}/bin/dimmerling" DIMMERLING_EXEC)
string(REPLACE "\\" "\\\\" DIMMERLING_TRYEXEC "${CMAKE_INSTALL_PREFIX}/bin/dimmerling")
configure_file("${DIMMERLING_SOURCE_DIR}/dist/${DIMMERLING_APP_ID}.desktop.in"
               "${DIMMERLING_STAGE_DIR}/${DIMMERLING_APP_ID}.desktop" @ONLY)
configure_file("${DIMMERLING_SOURCE_DIR}/dist/dimmerling-autostart.desktop.in"
               "${DIMMERLING_STAGE_DIR}/dimmerling-autostart.desktop" @ONLY)
file(INSTALL "${DIMMERLING_STAGE_DIR}/${DIMMERLING_APP_ID}.desktop"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
file(INSTALL "${DIMMERLING_STAGE_DIR}/dimmerling-autostart.desktop"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/share/dimmerling")
