# Installs into a fresh prefix and checks what lands there, file by file.
# -DBUILD_DIR -DWORK_DIR -DLIBDIR -DAPPSTREAM_ID
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

# The installed executable loads its libraries (build RPATHs are gone).
execute_process(COMMAND ${prefix}/bin/hengxiu-toolbox --help RESULT_VARIABLE rc
                OUTPUT_QUIET ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installed program does not start: ${rc} ${out}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
