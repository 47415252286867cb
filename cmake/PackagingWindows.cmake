# What the Windows program needs beside itself, and the installer that
# carries it. `cmake --install` makes a self-contained folder:
#   bin/quorvelo-config.exe, Qt's DLLs, the mingw-w64 runtime DLLs,
#   bin/platforms/qwindows.dll, bin/imageformats/qjpeg.dll, bin/styles/,
#   IMAGEM/ with the two sample check pictures.
# `cpack` (generator NSIS, Debian's makensis) wraps that folder in a 64-bit
# installer that also creates the data root's folders.

# Qt's own DLLs and plugins: Qt looks for plugins in folders named after their
# kind beside the program.
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets RUNTIME DESTINATION bin)
foreach(_plugin_kind
    QWindowsIntegrationPlugin=platforms
    QJpegPlugin=imageformats
    QWindowsVistaStylePlugin=styles)
  string(REPLACE "=" ";" _plugin_kind "${_plugin_kind}")
  list(GET _plugin_kind 0 _plugin)
  list(GET _plugin_kind 1 _kind)
  if(TARGET Qt6::${_plugin})
    install(FILES "$<TARGET_FILE:Qt6::${_plugin}>" DESTINATION "bin/${_kind}")
  elseif(NOT _plugin STREQUAL "QWindowsVistaStylePlugin")
    message(FATAL_ERROR "Qt has no ${_plugin}: the Windows program cannot run without it")
  endif()
endforeach()

# The C++ runtime that Qt's DLLs and the program link (mingw-w64 only).
if(MINGW)
  if(NOT QUORVELO_MINGW_RUNTIME_DLLS)
    foreach(_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
      execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${_dll}
                      OUTPUT_VARIABLE _dll_path OUTPUT_STRIP_TRAILING_WHITESPACE)
      if(IS_ABSOLUTE "${_dll_path}" AND EXISTS "${_dll_path}")
        get_filename_component(_dll_path "${_dll_path}" REALPATH)
        list(APPEND QUORVELO_MINGW_RUNTIME_DLLS "${_dll_path}")
      endif()
    endforeach()
  endif()
  install(FILES ${QUORVELO_MINGW_RUNTIME_DLLS} DESTINATION bin)
endif()

# The sample check pictures travel with the program; the installer copies
# them into the data root, which lies outside the installation folder.
install(FILES "${CMAKE_BINARY_DIR}/artwork/OK.JPG" "${CMAKE_BINARY_DIR}/artwork/NAOOK.JPG"
        DESTINATION IMAGEM)

string(REPLACE "/" "\\" _root "${QUORVELO_DATA_ROOT}")

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME "quorvelo-config")
set(CPACK_PACKAGE_VENDOR "Quorvelo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuração do lembrete de alongamento Quorvelo")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quorvelo")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Quorvelo")
set(CPACK_PACKAGE_FILE_NAME "quorvelo-config-${PROJECT_VERSION}-win64")
set(CPACK_STRIP_FILES ON)
# Values reach the installer script as written here, backslashes included.
set(CPACK_VERBATIM_VARIABLES ON)

set(_uninstall_key "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}")

# A 64-bit Unicode installer: the program is 64-bit (so wine64 alone runs the
# installer too), and the Start-menu entries carry accents. CPack's own
# installer script names no target, and its makensis arguments cannot carry
# one with a space, so the script is CPack's with the target added on top,
# with our own macros (resources/windows/installer.nsh) and these changes:
# - the uninstaller that an upgrade or a reinstall runs is told to keep the
#   data root (/KEEPDATA), and the pictures are kept across an older one;
# - the Start-menu entry that uninstalls, and the questions about an
#   installed version, are in Portuguese;
# - uninstalling leaves no empty vendor key behind.
set(_nsis_template_dir "${CMAKE_BINARY_DIR}/nsis-template")
file(READ "${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in" _nsis_template)
function(quorvelo_nsis_replace from to)
  string(FIND "${_nsis_template}" "${from}" _at)
  if(_at EQUAL -1)
    message(FATAL_ERROR "CPack's NSIS script has changed: \"${from}\" not found")
  endif()
  string(REPLACE "${from}" "${to}" _nsis_template "${_nsis_template}")
  set(_nsis_template "${_nsis_template}" PARENT_SCOPE)
endfunction()
quorvelo_nsis_replace("  ExecWait '\"$0\" /S _?=$3' ;Do not copy the uninstaller to a temp file\n"
                      "  !insertmacro QuorveloUninstallForUpgrade\n")
quorvelo_nsis_replace("Uninstall.lnk" "Desinstalar o Quorvelo.lnk")
quorvelo_nsis_replace(
  "\"@CPACK_NSIS_PACKAGE_NAME@ is already installed. $\\n$\\nDo you want to uninstall the old version before installing the new one?\""
  "\"O @CPACK_NSIS_PACKAGE_NAME@ já está instalado.$\\n$\\nDesinstalar a versão instalada antes de instalar esta?\"")
quorvelo_nsis_replace("\"Uninstall failed.\"" "\"A desinstalação falhou.\"")
quorvelo_nsis_replace(
  "  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"\n"
  "  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"\n  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\"\n")
# The target goes after the byte order mark, which tells makensis the script is UTF-8.
string(SUBSTRING "${_nsis_template}" 0 3 _nsis_bom)
string(SUBSTRING "${_nsis_template}" 3 -1 _nsis_template)
file(WRITE "${_nsis_template_dir}/NSIS.template.in" "${_nsis_bom}Target amd64-unicode
!define QUORVELO_DATA_ROOT \"${_root}\"
!define QUORVELO_UNINSTALL_KEY \"${_uninstall_key}\"
!include \"${PROJECT_SOURCE_DIR}/resources/windows/installer.nsh\"
${_nsis_template}")
list(PREPEND CMAKE_MODULE_PATH "${_nsis_template_dir}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "Quorvelo")
set(CPACK_NSIS_DISPLAY_NAME "Configuração do Quorvelo")
set(CPACK_NSIS_MUI_ICON "${CMAKE_BINARY_DIR}/artwork/quorvelo-config.ico")
set(CPACK_NSIS_MUI_UNIICON "${CMAKE_BINARY_DIR}/artwork/quorvelo-config.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\quorvelo-config.exe")
set(CPACK_NSIS_MENU_LINKS "bin\\quorvelo-config.exe" "Configuração do Quorvelo")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The data root's folders, the samples where pictures are missing, and the
# uninstall entry's numbers; a plain uninstall takes back only the samples
# still as they came, and Dados (the schedule) always stays.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro QuorveloInstallData")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "!insertmacro QuorveloUninstallData")

include(CPack)
