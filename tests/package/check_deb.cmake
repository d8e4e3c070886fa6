# Builds the .deb once, in its own folder, and checks its contents, its dependencies,
# its changelog and what lintian says of it.
# -DBUILD_DIR -DWORK_DIR -DLIBDIR -DAPPSTREAM_ID -DSOURCE_DIR -DMAINTAINER_PLACEHOLDER
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

# The changelog's latest entry is this version, signed by the package's maintainer.
execute_process(COMMAND dpkg-deb -f ${debs} Version OUTPUT_VARIABLE version
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND dpkg-deb -f ${debs} Maintainer OUTPUT_VARIABLE maintainer
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND dpkg-deb --fsys-tarfile ${debs}
                COMMAND tar -xOf - ./usr/share/doc/hengxiu-toolbox/changelog.gz
                COMMAND gzip -dc
                OUTPUT_VARIABLE changelog RESULT_VARIABLE rc)
string(REGEX MATCH "^hengxiu-toolbox \\(([^)]*)\\)" head "${changelog}")
string(REGEX MATCH "\n -- ([^\n]*[^ ])  [A-Z][a-z][a-z], " signature "${changelog}")
set(signer "${CMAKE_MATCH_1}")
if(NOT head STREQUAL "hengxiu-toolbox (${version})" OR NOT signer STREQUAL maintainer)
  message(FATAL_ERROR "changelog does not start with version ${version} signed by "
                      "${maintainer}:\n${changelog}")
endif()

# lintian: no error and no warning. The placeholder maintainer address is reported, in
# the control file and in the changelog, and accepted only while the package carries
# it. Every informational tag left is named, with its reason, in the README.
find_program(lintian lintian REQUIRED)
set(accepted)
if(maintainer STREQUAL MAINTAINER_PLACEHOLDER)
  set(accepted bogus-mail-host bogus-mail-host-in-debian-changelog)
endif()
execute_process(COMMAND ${lintian} --fail-on none --display-info ${debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE report ERROR_VARIABLE lintian_errors)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian failed: ${rc} ${lintian_errors}")
endif()
file(READ ${SOURCE_DIR}/README.md readme)
string(REPLACE "\n" ";" lines "${report}")
set(refused)
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Z]): [^ ]+: ([^ ]+)")
    set(tag ${CMAKE_MATCH_2})
    if(CMAKE_MATCH_1 STREQUAL "I")
      string(FIND "${readme}" "`${tag}`" named)
      if(named EQUAL -1)
        list(APPEND refused "${line} (not named in the README)")
      endif()
    else()
      list(FIND accepted ${tag} known)
      if(known EQUAL -1)
        list(APPEND refused "${line}")
      endif()
    endif()
  endif()
endforeach()
if(refused)
  list(JOIN refused "\n  " refused)
  message(FATAL_ERROR "lintian:\n  ${refused}\nfull report:\n${report}")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
