# Makes the Debian package of the build BUILD in OUT with CPACK and checks it:
# its name, its control fields, the files it holds (all under /usr), and that
# lintian finds no error.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CPACK} -G DEB -B ${OUT} WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE out)
set(deb ${OUT}/orvelin_${VERSION}_amd64.deb)
if(NOT status EQUAL 0 OR NOT EXISTS ${deb})
  message(FATAL_ERROR "cpack made no ${deb}:\n${out}")
endif()

execute_process(COMMAND dpkg-deb -f ${deb} OUTPUT_VARIABLE control)
foreach(field "Package: orvelin" "Version: ${VERSION}" "Architecture: amd64" "Section: utils"
              "Maintainer: Orvelin maintainers <maintainers@orvelin.org>"
              "Description: split a calendar file into one file per event")
  string(FIND "${control}" "${field}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no \"${field}\" in\n${control}")
  endif()
endforeach()
# Depends comes from the binaries themselves (shlibdeps).
if(NOT control MATCHES "Depends: [^\n]*libc6[^\n]*libqt6widgets6")
  message(FATAL_ERROR "Depends does not name the libraries the programs use:\n${control}")
endif()

execute_process(COMMAND dpkg-deb -c ${deb} OUTPUT_VARIABLE listing)
foreach(path bin/orvelin bin/orvelin-split share/applications/org.orvelin.Orvelin.desktop
             share/applications/org.orvelin.Orvelin.Standalone.desktop share/metainfo/org.orvelin.Orvelin.metainfo.xml
             share/icons/hicolor/32x32/apps/orvelin.png share/icons/hicolor/128x128/apps/orvelin.png
             share/icons/hicolor/scalable/apps/orvelin.svg share/man/man1/orvelin.1.gz
             share/man/man1/orvelin-split.1.gz share/doc/orvelin/copyright share/doc/orvelin/changelog.gz)
  string(FIND "${listing}" " ./usr/${path}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the package holds no /usr/${path}:\n${listing}")
  endif()
endforeach()
if(listing MATCHES " \\./(etc|opt|home|var|bin|lib)")
  message(FATAL_ERROR "the package holds files outside /usr:\n${listing}")
endif()

execute_process(COMMAND lintian --fail-on error ${deb} RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "lintian:\n${said}")
endif()
file(REMOVE_RECURSE ${OUT})
