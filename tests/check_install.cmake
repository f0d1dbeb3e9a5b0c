# Installs the build BUILD under PREFIX, stripped, and checks the desktop
# integration there: the entry and the AppStream record validate, the icons
# are in place at every size, and Orvelin claims no file type.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} --strip
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(share ${PREFIX}/share)
set(entry ${share}/applications/org.orvelin.Orvelin.desktop)
set(standaloneEntry ${share}/applications/org.orvelin.Orvelin.Standalone.desktop)
foreach(check "desktop-file-validate;${entry}" "desktop-file-validate;${standaloneEntry}"
              "appstreamcli;validate;--no-net;${share}/metainfo/org.orvelin.Orvelin.metainfo.xml")
  execute_process(COMMAND ${check} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${check}:\n${out}")
  endif()
endforeach()

file(STRINGS ${entry} mimeTypes REGEX "^MimeType")
if(mimeTypes)
  message(FATAL_ERROR "the desktop entry claims file types: ${mimeTypes}")
endif()
file(STRINGS ${standaloneEntry} exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=orvelin --standalone")
  message(FATAL_ERROR "the standalone entry starts ${exec}")
endif()
foreach(icon 32x32/apps/orvelin.png 48x48/apps/orvelin.png 64x64/apps/orvelin.png 128x128/apps/orvelin.png
             scalable/apps/orvelin.svg)
  if(NOT EXISTS ${share}/icons/hicolor/${icon})
    message(FATAL_ERROR "missing icon ${icon}")
  endif()
endforeach()
foreach(installed bin/orvelin bin/orvelin-split share/man/man1/orvelin-split.1.gz share/man/man1/orvelin.1.gz
                  share/doc/orvelin/copyright)
  if(NOT EXISTS ${PREFIX}/${installed})
    message(FATAL_ERROR "missing ${installed}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
