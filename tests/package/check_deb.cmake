# Builds the .deb once, in its own folder, and checks its contents and dependencies.
# -DBUILD_DIR -DWORK_DIR -DLIBDIR -DAPPSTREAM_ID
include(${CMAKE_CURRENT_LIST_DIR}/expected_files.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB debs ${WORK_DIR}/hengxiu-toolbox_*.deb)
list(LENGTH debs count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack failed: ${rc} ${out}")
endif()

execute_process(COMMAND dpkg-deb --fsys-tarfile ${debs} COMMAND tar -t
                OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" listing "${listing}")
set(found)
foreach(entry IN LISTS listing)
  if(NOT entry MATCHES "/$")
    string(REGEX REPLACE "^\\./usr/" "" entry "${entry}")
    list(APPEND found ${entry})
  endif()
endforeach()
list(SORT found)
if(NOT found STREQUAL expected_files)
  message(FATAL_ERROR "package files differ\n  found:    ${found}\n  expected: ${expected_files}")
endif()

# Computed dependencies name the toolkit; the ones opened at run time are listed by hand.
execute_process(COMMAND dpkg-deb -f ${debs} Depends OUTPUT_VARIABLE depends)
# What a clean system lacks otherwise: SVG theme icons, xdg-open, CJK glyphs, 是/否.
foreach(needed libqt6widgets6 libqt6multimedia6 libsqlite3-0 libglib2.0-0 libc6 libqt6svg6
               xdg-utils fonts-wqy-microhei qt6-translations-l10n)
  if(NOT depends MATCHES "${needed}")
    message(FATAL_ERROR "Depends lacks ${needed}: ${depends}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
