# What a Linux desktop needs beside the program, and the Debian package that
# carries it: the menu entry, the icon in the hicolor theme, the manual page,
# the sample pictures, and the data root's folders with the two check
# pictures.
#
# The data root is fixed when the program is built, so its folders install to
# that absolute path, not under the prefix: `cmake --install` writes to the real
# data root unless DESTDIR moves the whole tree elsewhere. That part is the
# component DataRoot, which the Debian package leaves out: what lies in the
# data root is the administrator's (the group, the modes, the pictures), so
# the package's scripts make it where it is missing and leave it alone
# afterwards, and purging takes it away.

if(WIN32)
  include("${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake")
  return()
endif()

include(GNUInstallDirs)

if(UNIX AND NOT APPLE)
  # The hicolor theme files icons by square size. The 64 x 64 picture goes in
  # as it is; the 93 x 61 one keeps its own pixels, centred on a transparent
  # 96 x 96 square, rather than being stretched to a size it was not drawn at.
  add_executable(quorvelo_pad_icon "${PROJECT_SOURCE_DIR}/resources/linux/pad-icon.cpp")
  set_target_properties(quorvelo_pad_icon PROPERTIES OUTPUT_NAME quorvelo-pad-icon)
  target_link_libraries(quorvelo_pad_icon PRIVATE Qt6::Gui quorvelo::warnings)

  set(_quorvelo_icons "${CMAKE_BINARY_DIR}/linux-icons")
  add_custom_command(
    OUTPUT "${_quorvelo_icons}/96/quorvelo-config.png"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_quorvelo_icons}/96"
    COMMAND quorvelo_pad_icon "${CMAKE_BINARY_DIR}/artwork/app-93x61.png"
            "${_quorvelo_icons}/96/quorvelo-config.png" 96
    DEPENDS quorvelo_pad_icon quorvelo_artwork_files "${CMAKE_BINARY_DIR}/artwork/app-93x61.png"
    COMMENT "Centring the wide application icon on a 96 x 96 square"
    VERBATIM
  )
  # In "all": `cmake --install` builds nothing, so the icon must be ready.
  add_custom_target(quorvelo_linux_icons ALL DEPENDS "${_quorvelo_icons}/96/quorvelo-config.png")

  install(FILES "${CMAKE_BINARY_DIR}/artwork/app-64.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps"
          RENAME quorvelo-config.png)
  install(FILES "${_quorvelo_icons}/96/quorvelo-config.png"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/96x96/apps")
  install(FILES "${PROJECT_SOURCE_DIR}/resources/linux/quorvelo-config.desktop"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
endif()

# The tool never creates its folders, so installing does. On its home platform
# the tool runs as administrator; here the administrators are the members of
# one system group: "Dados" is root's and the group's, mode 2775, so members
# can replace each other's saves and nobody else can write or put anything
# there. The folders are made root's, 0755, and a script run after them gives
# "Dados" to the group (or says why it cannot). IMAGEM only holds pictures the
# tool reads, and stays root's.
set(QUORVELO_ADMIN_GROUP "quorvelo" CACHE STRING
    "System group whose members may change the schedule (owns the Dados folder)")
install(DIRECTORY DESTINATION "${QUORVELO_DATA_ROOT}/Dados" COMPONENT DataRoot)
install(DIRECTORY DESTINATION "${QUORVELO_DATA_ROOT}/IMAGEM" COMPONENT DataRoot)
configure_file("${PROJECT_SOURCE_DIR}/cmake/DataFolderOwner.cmake.in"
               "${CMAKE_BINARY_DIR}/DataFolderOwner.cmake" @ONLY)
install(SCRIPT "${CMAKE_BINARY_DIR}/DataFolderOwner.cmake" COMPONENT DataRoot)

# Debian's packages carry their copyright notice and changelog in their
# documentation folder, and a manual page for each program; all compressed
# the reproducible way.
if(UNIX AND NOT APPLE)
  find_program(QUORVELO_GZIP gzip REQUIRED)
  configure_file("${PROJECT_SOURCE_DIR}/resources/linux/debian/changelog.in"
                 "${CMAKE_BINARY_DIR}/debian/changelog" @ONLY)
  configure_file("${PROJECT_SOURCE_DIR}/resources/linux/debian/quorvelo-config.1.in"
                 "${CMAKE_BINARY_DIR}/debian/quorvelo-config.1" @ONLY)
  foreach(_doc changelog quorvelo-config.1)
    add_custom_command(
      OUTPUT "${CMAKE_BINARY_DIR}/debian/${_doc}.gz"
      COMMAND "${QUORVELO_GZIP}" -9nkf "${CMAKE_BINARY_DIR}/debian/${_doc}"
      DEPENDS "${CMAKE_BINARY_DIR}/debian/${_doc}"
      VERBATIM
    )
  endforeach()
  add_custom_target(quorvelo_debian_docs ALL
    DEPENDS "${CMAKE_BINARY_DIR}/debian/changelog.gz" "${CMAKE_BINARY_DIR}/debian/quorvelo-config.1.gz")
  install(FILES "${PROJECT_SOURCE_DIR}/resources/linux/debian/copyright"
                "${CMAKE_BINARY_DIR}/debian/changelog.gz"
          DESTINATION "${CMAKE_INSTALL_DOCDIR}")
  install(FILES "${CMAKE_BINARY_DIR}/debian/quorvelo-config.1.gz"
          DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()

set(CPACK_PACKAGE_NAME "quorvelo-config")
set(CPACK_PACKAGE_VENDOR "Quorvelo")
set(CPACK_PACKAGE_CONTACT "Quorvelo <suporte@quorvelo.invalid>" CACHE STRING
    "Maintainer named in the package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuração do lembrete de alongamento Quorvelo")
set(CPACK_PACKAGE_DESCRIPTION
    "Define os seis horários do lembrete de alongamento e liga ou desliga\na sua apresentação automática.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_STRIP_FILES ON)
# Absolute destinations (the data root) only land inside the package when it
# is staged with DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX "/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
# The linked libraries come from dpkg-shlibdeps; the rest is loaded by name at
# run time: the faces that stand in for Segoe UI and Tahoma. Qt's X11 platform
# and JPEG plugins ship inside libqt6gui6, which the linking already brings.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-open-sans, fonts-dejavu-core, adduser")
# A Wayland session without XWayland needs Qt's Wayland platform, which is a
# package of its own; without it the program says so and ends.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# The package carries nothing of the data root: its postinst creates the
# group and the folders where they are missing, and its postrm removes the
# data root on purge.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
foreach(_script postinst postrm)
  configure_file("${PROJECT_SOURCE_DIR}/resources/linux/debian/${_script}.in"
                 "${CMAKE_BINARY_DIR}/debian/${_script}" @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                  GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/debian/postinst;${CMAKE_BINARY_DIR}/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
