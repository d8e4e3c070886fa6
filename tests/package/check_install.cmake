# Installs into a fresh prefix and checks what lands there, file by file.
# -DBUILD_DIR -DWORK_DIR -DLIBDIR -DAPPSTREAM_ID -DSOURCE_DIR
include(${CMAKE_CURRENT_LIST_DIR}/expected_files.cmake)

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install failed: ${rc}")
endif()

file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${prefix} ${prefix}/*)
list(SORT found)
if(NOT found STREQUAL expected_files)
  message(FATAL_ERROR "installed files differ\n  found:    ${found}\n  expected: ${expected_files}")
endif()

# Each icon is as large as the folder it sits in claims (PNG width and height).
foreach(size 16 32 48 64 128 256)
  set(icon ${prefix}/share/icons/hicolor/${size}x${size}/apps/hengxiu-toolbox.png)
  file(READ ${icon} header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  string(SUBSTRING "${header}" 32 16 dimensions)
  math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" hex_size ${hex_size})
  string(LENGTH ${hex_size} digits)
  math(EXPR pad "8 - ${digits}")
  string(REPEAT "0" ${pad} zeros)
  set(want "${zeros}${hex_size}${zeros}${hex_size}")
  string(TOLOWER "${want}" want)
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT dimensions STREQUAL want)
    message(FATAL_ERROR "${icon} is not a ${size}x${size} PNG (${header})")
  endif()
endforeach()

# The menu entry starts the installed executable by name.
file(STRINGS ${prefix}/share/applications/hengxiu-toolbox.desktop exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=hengxiu-toolbox")
  message(FATAL_ERROR "unexpected ${exec}")
endif()

find_program(desktop_validate desktop-file-validate REQUIRED)
find_program(appstreamcli appstreamcli REQUIRED)
execute_process(COMMAND ${desktop_validate} ${prefix}/share/applications/hengxiu-toolbox.desktop
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
execute_process(COMMAND ${appstreamcli} validate --no-net
                        ${prefix}/share/metainfo/${APPSTREAM_ID}.metainfo.xml
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate: ${out}")
endif()

# The copyright file is machine-readable: each Files paragraph gives Copyright and a
# License whose text stands in a License paragraph of its own, and the program's own
# files carry the licence the AppStream metadata names.
file(READ ${prefix}/share/doc/hengxiu-toolbox/copyright copyright)
string(REPLACE ";" "," copyright "${copyright}")
string(REGEX MATCHALL "[^\n]+(\n[^\n]+)*" paragraphs "${copyright}")
list(POP_FRONT paragraphs header)
if(NOT header MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n")
  message(FATAL_ERROR "copyright has no Format line: ${header}")
endif()
set(used)
set(texts)
foreach(paragraph IN LISTS paragraphs)
  if(paragraph MATCHES "^Files: ")
    if(NOT paragraph MATCHES "\nCopyright: [^\n]" OR NOT paragraph MATCHES "\nLicense: ([^\n]+)")
      message(FATAL_ERROR "copyright paragraph lacks Copyright or License:\n${paragraph}")
    endif()
    set(licence ${CMAKE_MATCH_1})
    list(APPEND used ${licence})
    if(paragraph MATCHES "^Files: \\*\n")
      set(own_licence ${licence})
    endif()
  elseif(paragraph MATCHES "^License: ([^\n]+)\n ")
    list(APPEND texts ${CMAKE_MATCH_1})
  else()
    message(FATAL_ERROR "copyright paragraph of no known kind:\n${paragraph}")
  endif()
endforeach()
list(REMOVE_DUPLICATES used)
list(SORT used)
list(SORT texts)
file(READ ${prefix}/share/metainfo/${APPSTREAM_ID}.metainfo.xml metainfo)
string(REGEX MATCH "<project_license>([^<]+)</project_license>" declared "${metainfo}")
if(NOT used STREQUAL texts OR NOT own_licence STREQUAL CMAKE_MATCH_1)
  message(FATAL_ERROR "copyright names ${used}, gives the text of ${texts}; the program's own "
                      "files are under ${own_licence}, the metadata says ${CMAKE_MATCH_1}")
endif()

# The installed executable loads its libraries (build RPATHs are gone).
execute_process(COMMAND ${prefix}/bin/hengxiu-toolbox --help RESULT_VARIABLE rc
                OUTPUT_VARIABLE help ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed program does not start: ${rc} ${out}")
endif()

# The manual page names every option --help lists and every variable of the
# README's environment table.
execute_process(COMMAND gzip -dc ${prefix}/share/man/man1/hengxiu-toolbox.1.gz
                OUTPUT_VARIABLE page RESULT_VARIABLE rc)
string(REPLACE "\\-" "-" page "${page}")
string(REGEX MATCHALL "--[a-z][a-z-]*" options "${help}")
file(READ ${SOURCE_DIR}/README.md readme)
string(FIND "${readme}" "\n## Environment\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "the README has no environment table")
endif()
math(EXPR start "${start} + 1")
string(SUBSTRING "${readme}" ${start} -1 environment)
string(FIND "${environment}" "\n## " end)
string(SUBSTRING "${environment}" 0 ${end} environment)
string(REGEX MATCHALL "HENGXIU_[A-Z_]+" variables "${environment}")
if(NOT rc EQUAL 0 OR NOT options OR NOT variables)
  message(FATAL_ERROR "no manual page (${rc}), no options in --help or no environment table")
endif()
foreach(name IN LISTS options variables)
  string(FIND "${page}" "${name}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manual page does not name ${name}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
