# Installation laid out as a desktop program, and the Debian package made from it.
#
#   PREFIX/lib/quillmere/     the two programs with player/, help/ and samples/ beside them;
#                             the programs find these next to their own resolved path
#   PREFIX/bin/               the links quillmere and quillmere-publish, nothing else
#   PREFIX/share/             desktop entry, MIME package, icons, man pages
#
# On Windows everything goes into one folder, the programs beside their files.
#
#   cmake --install build --prefix STAGE      install (the links are relative: any prefix works)
#   cmake --build build --target package      build/quillmere_1.0_amd64.deb

if(WIN32)
  set(QM_PROGRAM_DIR ${CMAKE_INSTALL_BINDIR})
else()
  set(QM_PROGRAM_DIR lib/quillmere)
endif()

install(TARGETS quillmere quillmere-publish RUNTIME DESTINATION ${QM_PROGRAM_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/player ${CMAKE_SOURCE_DIR}/data/help DESTINATION ${QM_PROGRAM_DIR})
# The samples as the build left them: pictures, template, index and the galleries
# published from them.
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/samples DESTINATION ${QM_PROGRAM_DIR})

if(WIN32)
  return()
endif()

set(QM_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(QM_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

# The links are made here, relative, and installed as links.
file(RELATIVE_PATH QM_LINK_TARGET /${CMAKE_INSTALL_BINDIR} /${QM_PROGRAM_DIR})
file(MAKE_DIRECTORY ${QM_PACKAGING_OUT}/bin)
foreach(program quillmere quillmere-publish)
  file(CREATE_LINK ${QM_LINK_TARGET}/${program} ${QM_PACKAGING_OUT}/bin/${program} SYMBOLIC)
  install(FILES ${QM_PACKAGING_OUT}/bin/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES ${QM_PACKAGING_DIR}/quillmere.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${QM_PACKAGING_DIR}/quillmere.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${QM_PACKAGING_DIR}/quillmere.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The fixed-size icons are drawn from the SVG at build time.
find_program(QM_RSVG_CONVERT rsvg-convert)
find_program(QM_IMAGEMAGICK_CONVERT convert)
set(QM_ICON_SIZES 16 24 32 48 64 128 256)
set(QM_ICON_FILES)
foreach(size ${QM_ICON_SIZES})
  set(png ${QM_PACKAGING_OUT}/icons/${size}x${size}/quillmere.png)
  if(QM_RSVG_CONVERT)
    set(draw ${QM_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${QM_PACKAGING_DIR}/quillmere.svg)
  elseif(QM_IMAGEMAGICK_CONVERT)
    set(draw ${QM_IMAGEMAGICK_CONVERT} -background none -density 384 ${QM_PACKAGING_DIR}/quillmere.svg
             -resize ${size}x${size} PNG32:${png})
  else()
    if(size EQUAL 16)
      message(WARNING "Neither rsvg-convert nor convert found: only the scalable icon is installed")
    endif()
    continue()
  endif()
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_PACKAGING_OUT}/icons/${size}x${size}
    COMMAND ${draw}
    DEPENDS ${QM_PACKAGING_DIR}/quillmere.svg
    VERBATIM)
  list(APPEND QM_ICON_FILES ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Man pages go compressed, as Debian's rules ask; the compressed copy carries no
# time stamp, so the package is the same from build to build.
find_program(QM_GZIP gzip REQUIRED)
set(QM_MAN_FILES)
foreach(page quillmere quillmere-publish)
  set(gz ${QM_PACKAGING_OUT}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QM_PACKAGING_OUT}/man
    COMMAND ${QM_GZIP} -9nc ${QM_PACKAGING_DIR}/man/${page}.1 > ${gz}
    DEPENDS ${QM_PACKAGING_DIR}/man/${page}.1)
  list(APPEND QM_MAN_FILES ${gz})
endforeach()
install(FILES ${QM_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

add_custom_target(qm_packaging_files ALL DEPENDS ${QM_ICON_FILES} ${QM_MAN_FILES})

# The Debian package. Its dependencies are read from the programs' shared libraries,
# so it asks for the run-time libraries, never for the -dev packages of the build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR Brindlecove)
set(CPACK_PACKAGE_CONTACT "Brindlecove <packages@brindlecove.example>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Brindlecove <packages@brindlecove.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web page slideshows of pictures that slide open side by side")
# Debian asks for description lines shorter than 80 columns; each line here is one of them.
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmere builds image slideshows for web pages: the pictures stand side by\n\
side, the active one open to its full width and the others closed to narrow\n\
strips, and they slide open one after another. The editor arranges the items\n\
in a tree, sets the gallery's sizes, speed, colours and titles, and saves a\n\
project that publishes the page, the pictures and the player files in one\n\
folder. quillmere-publish does the same from the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://brindlecove.example/quillmere/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window system plugins at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Help pages, samples and previews open in the user's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
