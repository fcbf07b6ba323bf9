# Run by CPack on the installed tree before it is packed: the tarball may be
# unpacked anywhere, so its desktop entries find the launcher on the PATH
# (after copying the tree into ~/.local), and its README sits on top.
file(GLOB_RECURSE entries "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.desktop")
foreach(entry IN LISTS entries)
    file(READ "${entry}" text)
    string(REGEX REPLACE "\n(Try|)Exec=[^\n]*" "\n\\1Exec=dimmerling" text "${text}")
    file(WRITE "${entry}" "${text}")
endforeach()
file(COPY "${CPACK_DIMMERLING_README}" DESTINATION "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
