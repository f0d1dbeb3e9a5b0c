# Installs the build BUILD under PREFIX, stripped, and checks the desktop
# integration there: the entries and the AppStream record validate, the
# icons are in place at every size, and the entries take calendars (so that
# file managers offer them under "Open with": the plain window, which writes
# vCalendar, for vCalendar alone) without making Orvelin the default program
# for calendars.
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

foreach(pair "${entry};Exec=orvelin %f" "${standaloneEntry};Exec=orvelin --standalone %f")
  list(GET pair 0 desktopFile)
  list(GET pair 1 expected)
  file(STRINGS ${desktopFile} exec REGEX "^Exec=")
  if(NOT exec STREQUAL expected)
    message(FATAL_ERROR "${desktopFile} starts '${exec}'")
  endif()
endforeach()
# "Open with" lists both for vCalendar, the standalone window alone for
# iCalendar; no default is set.
execute_process(COMMAND update-desktop-database ${share}/applications RESULT_VARIABLE status)
file(STRINGS ${share}/applications/mimeinfo.cache handlers REGEX "^text/(calendar|x-vcalendar)=")
set(expected "text/calendar=org.orvelin.Orvelin.Standalone.desktop\\;"
             "text/x-vcalendar=org.orvelin.Orvelin.Standalone.desktop\\;org.orvelin.Orvelin.desktop\\;")
if(NOT status EQUAL 0 OR NOT handlers STREQUAL expected)
  message(FATAL_ERROR "Open with lists ${handlers}")
endif()
file(GLOB_RECURSE defaults ${PREFIX}/*mimeapps.list ${PREFIX}/*defaults.list)
if(defaults)
  message(FATAL_ERROR "the install sets default programs: ${defaults}")
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
