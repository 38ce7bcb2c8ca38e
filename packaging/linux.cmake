# Linux: the console program, its manual page and bash completion; the
# Debian package (cpack -G DEB in the release build).

install(TARGETS brindlemark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# brindlemark_gzip(SOURCE NAME): NAME.gz in this build folder, compressed as
# Debian wants (best compression, no file name or time stamp inside, so the
# same source always gives the same bytes).
find_program(BRINDLEMARK_GZIP gzip REQUIRED)
set(brindlemark_compressed "")
function(brindlemark_gzip source name)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND ${BRINDLEMARK_GZIP} -9nf ${copy}
    DEPENDS ${source}
    COMMENT "Compressing ${name}"
    VERBATIM)
  set(brindlemark_compressed ${brindlemark_compressed} ${copy}.gz PARENT_SCOPE)
endfunction()

brindlemark_gzip(${PROJECT_SOURCE_DIR}/docs/brindlemark.1 brindlemark.1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/brindlemark.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES bash-completion/brindlemark DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian's own files go into the package only (component "debian", left out
# of a plain `cmake --install`).
brindlemark_gzip(${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog changelog.Debian)
install(FILES debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)

add_custom_target(brindlemark_compressed_docs ALL DEPENDS ${brindlemark_compressed})

# The package: brindlemark_VERSION-RELEASE_ARCH.deb, one package holding
# every component.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
if(DEFINED PROJECT_VERSION_PATCH AND NOT PROJECT_VERSION_PATCH STREQUAL "")
  set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
else()
  set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION}.0)
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The dependencies come from the libraries brindlemark links: libc6 and
# libstdc++6, and for the console's tag text libuchardet0 and libutf8proc2
# (built against libuchardet-dev and libutf8proc-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brindlemark authors <brindlemark@example.org>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Brindlemark renames SNES sound files (.spc) after the ID666 and xid6 tags
they carry. Each file keeps its folder and gets its new name from a short
template of tag items: track number, song title, game, artist, soundtrack
title, disc. One line per file tells what happened to it; an existing file
is never replaced.

Every run is written to a journal first, so that it can be undone later.
Folders can be walked recursively, a dry run shows what would happen, and
the outcome can be printed as JSON for scripts.]])
