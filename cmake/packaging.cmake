# Installation of the documentation, and the packages CPack makes:
#   POSIX: `cpack` in a build tree gives a .deb (zolt, the man page zolt(1),
#          the README, the changelog and the copyright file), with the
#          shared-library dependencies computed.
#   Win32: `cpack` in a build tree made with the mingw-w64 toolchain gives a
#          .zip holding zolt.exe, README.md, the manual, the license and the
#          changelog as text with CR LF newlines.
# tools/package builds both into dist/.

set(ZOLT_MANUAL_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/docs/zolt.1)
set(ZOLT_MANUAL_JA_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/docs/ja/zolt.1)
set(ZOLT_RENDER_DOC ${CMAKE_CURRENT_SOURCE_DIR}/cmake/render_doc.cmake)
set(ZOLT_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(ZOLT_CHANGELOG ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md)
set(ZOLT_CONTACT "Zolt Kit developers <zolt@zolt-kit.invalid>")
find_program(ZOLT_GROFF groff)

if(WIN32)
  # The zip is flat: zolt.exe beside its documentation. Its files form their
  # own install component, left out of a plain `cmake --install`.
  install(TARGETS zolt RUNTIME DESTINATION . COMPONENT zip EXCLUDE_FROM_ALL)
  install(FILES README.md DESTINATION . COMPONENT zip EXCLUDE_FROM_ALL)
  install(FILES README.md DESTINATION share/doc/zolt)
  if(ZOLT_GROFF)
    set(ZOLT_MANUAL_TEXT ${CMAKE_CURRENT_BINARY_DIR}/zolt.txt)
    add_custom_command(OUTPUT ${ZOLT_MANUAL_TEXT}
      COMMAND ${CMAKE_COMMAND} -DMODE=text -DGROFF=${ZOLT_GROFF} -DSOURCE=${ZOLT_MANUAL_SOURCE}
              -DOUTPUT=${ZOLT_MANUAL_TEXT} -DCRLF=ON -P ${ZOLT_RENDER_DOC}
      DEPENDS ${ZOLT_MANUAL_SOURCE} ${ZOLT_RENDER_DOC}
      COMMENT "Rendering the manual page as text")
    add_custom_target(zolt_manual ALL DEPENDS ${ZOLT_MANUAL_TEXT})
    install(FILES ${ZOLT_MANUAL_TEXT} DESTINATION . COMPONENT zip EXCLUDE_FROM_ALL)
    install(FILES ${ZOLT_MANUAL_TEXT} DESTINATION share/doc/zolt)
  else()
    message(WARNING "groff not found: the Windows package will not hold the manual (apt-get install groff-base)")
  endif()
  # The license and the changelog, with the newlines Windows editors expect.
  set(ZOLT_LICENSE_TEXT ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt)
  set(ZOLT_CHANGELOG_TEXT ${CMAKE_CURRENT_BINARY_DIR}/CHANGELOG.md)
  foreach(pair "${ZOLT_LICENSE};${ZOLT_LICENSE_TEXT}" "${ZOLT_CHANGELOG};${ZOLT_CHANGELOG_TEXT}")
    list(GET pair 0 source)
    list(GET pair 1 output)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DMODE=crlf -DSOURCE=${source} -DOUTPUT=${output} -P ${ZOLT_RENDER_DOC}
      DEPENDS ${source} ${ZOLT_RENDER_DOC})
  endforeach()
  add_custom_target(zolt_zip_texts ALL DEPENDS ${ZOLT_LICENSE_TEXT} ${ZOLT_CHANGELOG_TEXT})
  install(FILES ${ZOLT_LICENSE_TEXT} ${ZOLT_CHANGELOG_TEXT} DESTINATION . COMPONENT zip EXCLUDE_FROM_ALL)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_CURRENT_BINARY_DIR};zolt;zip;/")
  set(CPACK_PACKAGE_FILE_NAME zolt-${PROJECT_VERSION}-win64)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(ZOLT_MANUAL_GZ ${CMAKE_CURRENT_BINARY_DIR}/zolt.1.gz)
  add_custom_command(OUTPUT ${ZOLT_MANUAL_GZ}
    COMMAND ${CMAKE_COMMAND} -DMODE=gzip -DSOURCE=${ZOLT_MANUAL_SOURCE}
            -DOUTPUT=${ZOLT_MANUAL_GZ} -P ${ZOLT_RENDER_DOC}
    DEPENDS ${ZOLT_MANUAL_SOURCE} ${ZOLT_RENDER_DOC}
    COMMENT "Compressing the manual page")
  # The Japanese page, where `man -L ja zolt` looks.
  set(ZOLT_MANUAL_JA_GZ ${CMAKE_CURRENT_BINARY_DIR}/zolt.ja.1.gz)
  add_custom_command(OUTPUT ${ZOLT_MANUAL_JA_GZ}
    COMMAND ${CMAKE_COMMAND} -DMODE=gzip -DSOURCE=${ZOLT_MANUAL_JA_SOURCE}
            -DOUTPUT=${ZOLT_MANUAL_JA_GZ} -P ${ZOLT_RENDER_DOC}
    DEPENDS ${ZOLT_MANUAL_JA_SOURCE} ${ZOLT_RENDER_DOC}
    COMMENT "Compressing the Japanese manual page")
  add_custom_target(zolt_manual ALL DEPENDS ${ZOLT_MANUAL_GZ} ${ZOLT_MANUAL_JA_GZ})
  install(FILES ${ZOLT_MANUAL_GZ} DESTINATION share/man/man1)
  install(FILES ${ZOLT_MANUAL_JA_GZ} DESTINATION share/man/ja/man1 RENAME zolt.1.gz)
  install(FILES README.md DESTINATION share/doc/zolt)

  # The changelog and the machine-readable copyright file, where Debian
  # policy looks for them.
  set(ZOLT_CHANGELOG_GZ ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  set(ZOLT_COPYRIGHT ${CMAKE_CURRENT_BINARY_DIR}/copyright)
  add_custom_command(OUTPUT ${ZOLT_CHANGELOG_GZ}
    COMMAND ${CMAKE_COMMAND} -DMODE=gzip -DSOURCE=${ZOLT_CHANGELOG} -DOUTPUT=${ZOLT_CHANGELOG_GZ}
            -P ${ZOLT_RENDER_DOC}
    DEPENDS ${ZOLT_CHANGELOG} ${ZOLT_RENDER_DOC})
  add_custom_command(OUTPUT ${ZOLT_COPYRIGHT}
    COMMAND ${CMAKE_COMMAND} -DMODE=copyright -DSOURCE=${ZOLT_LICENSE} "-DCONTACT=${ZOLT_CONTACT}"
            -DOUTPUT=${ZOLT_COPYRIGHT} -P ${ZOLT_RENDER_DOC}
    DEPENDS ${ZOLT_LICENSE} ${ZOLT_RENDER_DOC} VERBATIM)
  add_custom_target(zolt_doc_files ALL DEPENDS ${ZOLT_CHANGELOG_GZ} ${ZOLT_COPYRIGHT})
  install(FILES ${ZOLT_CHANGELOG_GZ} ${ZOLT_COPYRIGHT} DESTINATION share/doc/zolt)

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZOLT_CONTACT}")
  find_program(ZOLT_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(ZOLT_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    # What a g++ 12 build on Debian 12 needs, for hosts without dpkg-dev.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 12)")
  endif()
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

# The package version is the project's, which the banner shows as "Ver2.15";
# a unit test keeps the two in step.
set(CPACK_PACKAGE_NAME zolt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zolt Kit developers")
set(CPACK_PACKAGE_CONTACT "${ZOLT_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert, merge and split Shift-JIS (CP932) text files")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Zolt Kit (zolt) works on Shift-JIS (CP932) text files: it converts\n"
  "newlines, joins lines, turns half-width katakana into full-width, expands\n"
  "tabs, folds duplicate lines, changes ASCII case and deletes control codes,\n"
  "merges files, and splits a file by size, by lines or at lines that match\n"
  "a pattern, and converts to and from UTF-8 exactly. Data is copied\n"
  "byte-exact, a double-byte character is never split, and every job works\n"
  "in a pipeline.")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)

# The manual pages must render without a warning, as man(1) shows them.
if(ZOLT_BUILD_TESTS AND ZOLT_GROFF AND NOT CMAKE_CROSSCOMPILING)
  add_test(NAME manual_page_renders_cleanly
    COMMAND ${CMAKE_COMMAND} -DMODE=check -DGROFF=${ZOLT_GROFF} -DSOURCE=${ZOLT_MANUAL_SOURCE}
            -P ${ZOLT_RENDER_DOC})
  add_test(NAME japanese_manual_page_renders_cleanly
    COMMAND ${CMAKE_COMMAND} -DMODE=check -DGROFF=${ZOLT_GROFF} -DSOURCE=${ZOLT_MANUAL_JA_SOURCE}
            -P ${ZOLT_RENDER_DOC})
endif()
# `cmake --install` gives the program and its documentation, nothing else.
if(ZOLT_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
  set(ZOLT_INSTALLED_FILES bin/zolt share/man/man1/zolt.1.gz share/man/ja/man1/zolt.1.gz share/doc/zolt/README.md
      share/doc/zolt/changelog.gz share/doc/zolt/copyright)
  add_test(NAME install_puts_program_and_manual_in_place
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_CURRENT_BINARY_DIR}
            -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-check "-DFILES=${ZOLT_INSTALLED_FILES}"
            -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/check_install.cmake)
endif()
if(TARGET zolt_unit_tests)
  target_compile_definitions(zolt_unit_tests PRIVATE ZOLT_MANUAL_PAGE="${ZOLT_MANUAL_SOURCE}")
endif()
