# The Windows installer (NSIS) and a portable .zip of the same files, made by `cpack` in a
# cross build. Layout under the install folder: bin/ holds both programs, the DLLs they load and
# Qt's plugins (Qt looks for them beside the executable); share/ holds the help pages, where the
# program looks for them (../share/quendrix-vellumetric/help from the executable).

# Every DLL the programs and the loaded Qt plugins import, found by reading their import tables
# (objdump) and resolved in Qt's and MinGW's folders; Windows' own DLLs stay unresolved.
get_target_property(vlm_qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(vlm_qt_bin "${vlm_qt_core}" DIRECTORY)
get_filename_component(vlm_qt_prefix "${vlm_qt_bin}" DIRECTORY)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE vlm_libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                OUTPUT_VARIABLE vlm_winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(vlm_gcc_dlls "${vlm_libstdcxx}" DIRECTORY)
get_filename_component(vlm_pthread_dlls "${vlm_winpthread}" DIRECTORY)
find_program(VLM_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump REQUIRED)

# The plugins the window loads: the platform plugin and the native look.
set(vlm_plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll)
foreach(plugin ${vlm_plugins})
  get_filename_component(folder ${plugin} DIRECTORY)
  install(FILES ${vlm_qt_prefix}/plugins/${plugin} DESTINATION bin/${folder})
endforeach()

install(CODE "
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
  set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND \"${VLM_OBJDUMP}\")
  set(dirs \"${vlm_qt_bin}\" \"${vlm_gcc_dlls}\" \"${vlm_pthread_dlls}\")
  # The import tables name DLLs in any case and CMake looks them up lower-cased, which a Linux
  # file system does not match: each name left over is looked for again without regard to case,
  # and what is found is read for its own imports in the next round.
  set(dlls)
  foreach(dir \${dirs})
    file(GLOB in_dir \"\${dir}/*.dll\")
    list(APPEND dlls \${in_dir})
  endforeach()
  set(files \"\$<TARGET_FILE:vellumetric>\" \"\$<TARGET_FILE:vellumetric-cli>\")
  foreach(p ${vlm_plugins})
    list(APPEND files \"${vlm_qt_prefix}/plugins/\${p}\")
  endforeach()
  set(found)
  set(system)
  while(files)
    file(GET_RUNTIME_DEPENDENCIES LIBRARIES \${files} DIRECTORIES \${dirs}
      PRE_EXCLUDE_REGEXES \"^api-ms-\" \"^ext-ms-\"
      RESOLVED_DEPENDENCIES_VAR resolved UNRESOLVED_DEPENDENCIES_VAR unresolved)
    set(files)
    foreach(name \${unresolved})
      set(match)
      foreach(dll \${dlls})
        get_filename_component(base \"\${dll}\" NAME)
        string(TOLOWER \"\${base}\" lower)
        if(lower STREQUAL name)
          set(match \"\${dll}\")
        endif()
      endforeach()
      if(match)
        list(APPEND resolved \"\${match}\")
      else()
        list(APPEND system \${name})
      endif()
    endforeach()
    foreach(dll \${resolved})
      list(FIND found \"\${dll}\" at)
      if(at EQUAL -1)
        list(APPEND found \"\${dll}\")
        list(APPEND files \"\${dll}\")
      endif()
    endforeach()
  endwhile()
  list(SORT found)
  list(REMOVE_DUPLICATES system)
  foreach(dll \${found})
    get_filename_component(name \"\${dll}\" NAME)
    message(STATUS \"Runtime DLL: \${name}\")
  endforeach()
  message(STATUS \"Left to Windows: \${system}\")
  file(INSTALL \${found} DESTINATION \"\${CMAKE_INSTALL_PREFIX}/bin\" FOLLOW_SYMLINK_CHAIN)
")

# The notices of everything built into the programs, where the About window looks for them
# (../share/quendrix-vellumetric/notices from bin): gathered from what Ninja recorded the shipped
# objects were compiled with, so a library added later cannot ship without its notice.
if(NOT CMAKE_GENERATOR MATCHES "Ninja")
  message(FATAL_ERROR "The Windows package gathers its notices from Ninja's records: use -G Ninja")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
install(CODE "
  set(offer \"${CMAKE_BINARY_DIR}/qt-source.txt\")
  execute_process(COMMAND bash \"${CMAKE_SOURCE_DIR}/scripts/build-qt-windows\" --describe-source
                  OUTPUT_FILE \"\${offer}\" COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND \"${Python3_EXECUTABLE}\"
                    \"${CMAKE_SOURCE_DIR}/scripts/third-party-notices.py\" --platform windows
                    --build \"${CMAKE_BINARY_DIR}\" --qt-prefix \"${vlm_qt_prefix}\"
                    --sqlite \"${VLM_SQLITE_AMALGAMATION}\" --qt-source-text \"\${offer}\"
                    --out \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/quendrix-vellumetric/notices\"
                  COMMAND_ERROR_IS_FATAL ANY)
")

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_FILE_NAME "quendrix-vellumetric-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quendrix Vellumetric")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Quendrix Vellumetric")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME "Quendrix Vellumetric")
set(CPACK_NSIS_PACKAGE_NAME "Quendrix Vellumetric")
set(CPACK_NSIS_MUI_ICON "${VLM_APP_ICO}")
set(CPACK_NSIS_MUI_UNIICON "${VLM_APP_ICO}")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\vellumetric.exe")
# Upgrades in place: a newer installer run over an older one removes the older programs with the
# older uninstaller (silently, keeping the user's data folder, which no uninstaller touches) and
# installs into the same folder, found through the key the older one wrote; one uninstall entry
# stays, under a name without the version.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The installer writes that key under the vendor's name, so the vendor is set here, before the
# top level includes CPack (CPack's default vendor would put the key where this line never looks).
set(CPACK_PACKAGE_VENDOR "Quendrix")
set(CPACK_NSIS_DEFINES "InstallDirRegKey HKLM 'Software\\Quendrix\\Quendrix Vellumetric' ''")
# The Start menu entry.
set(CPACK_PACKAGE_EXECUTABLES "vellumetric" "Quendrix Vellumetric")
# The program reads its install folder from the registry, and .sbf files open with it. The
# installer is a 32-bit program: the 64-bit registry view is the one the program reads. The view
# goes back to the installer's own after, where its uninstall entry and folder key live: left at
# 64, the uninstaller would remove them from the wrong view and leave them behind.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  SetRegView 64
  WriteRegStr HKLM 'SOFTWARE\\Quendrix Vellumetric' 'Path' '$INSTDIR\\bin'
  WriteRegStr HKCR '.sbf' '' 'QuendrixVellumetric.Summary'
  WriteRegStr HKCR 'QuendrixVellumetric.Summary' '' 'Vellumetric Summary'
  WriteRegStr HKCR 'QuendrixVellumetric.Summary\\DefaultIcon' '' '$INSTDIR\\bin\\vellumetric.exe,0'
  WriteRegStr HKCR 'QuendrixVellumetric.Summary\\shell\\open\\command' '' '\"$INSTDIR\\bin\\vellumetric.exe\" \"%1\"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  SetRegView default
")
# The uninstaller's last page says what it leaves: its last line in the list of what was done,
# the files it removes after it kept out of that list.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  SetDetailsView show
  DetailPrint 'Your saved summaries, scan history and settings stay in the Quendrix Vellumetric folder of your Application Data: delete that folder yourself to remove them.'
  SetDetailsPrint none
  SetRegView 64
  DeleteRegKey HKLM 'SOFTWARE\\Quendrix Vellumetric'
  ReadRegStr $0 HKCR '.sbf' ''
  StrCmp $0 'QuendrixVellumetric.Summary' 0 +2
  DeleteRegKey HKCR '.sbf'
  DeleteRegKey HKCR 'QuendrixVellumetric.Summary'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  SetRegView default
")
