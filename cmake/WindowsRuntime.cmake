# What Ferrowick.exe needs beside it on Windows: the Qt and MinGW runtime
# DLLs and the windows platform and style plugins. Copied into the build's
# bin folder, where the tests run under Wine, and installed with the program
# (make windows-package).
get_target_property(_qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(_qt_bin "${_qt_core_dll}" DIRECTORY)
get_filename_component(_qt_prefix "${_qt_bin}" DIRECTORY)
# Network: the running copy hears a second start through a local socket.
set(QM_QT_DLLS ${_qt_bin}/Qt6Core.dll ${_qt_bin}/Qt6Gui.dll ${_qt_bin}/Qt6Widgets.dll ${_qt_bin}/Qt6Network.dll)
set(QM_QT_TEST_DLLS ${_qt_bin}/Qt6Test.dll)
set(QM_MINGW_DLLS)
foreach(_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${_path}" OR NOT EXISTS "${_path}")
    # libwinpthread lives with the target's libraries, not the compiler's.
    find_file(_path NAMES ${_dll} PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH NO_CACHE)
  endif()
  if(NOT EXISTS "${_path}")
    message(FATAL_ERROR "${_dll} not found for the MinGW runtime")
  endif()
  list(APPEND QM_MINGW_DLLS "${_path}")
endforeach()
set(QM_QT_PLATFORM_PLUGINS ${_qt_prefix}/plugins/platforms/qwindows.dll)
set(QM_QT_STYLE_PLUGINS ${_qt_prefix}/plugins/styles/qwindowsvistastyle.dll)

set(_bin ${CMAKE_BINARY_DIR}/bin)
file(COPY ${QM_QT_DLLS} ${QM_QT_TEST_DLLS} ${QM_MINGW_DLLS} DESTINATION ${_bin})
# offscreen beside windows, for a test run without a display.
file(COPY ${QM_QT_PLATFORM_PLUGINS} ${_qt_prefix}/plugins/platforms/qoffscreen.dll
  DESTINATION ${_bin}/platforms)
file(COPY ${QM_QT_STYLE_PLUGINS} DESTINATION ${_bin}/styles)

install(TARGETS Ferrowick RUNTIME DESTINATION . COMPONENT program)
install(FILES ${QM_QT_DLLS} ${QM_MINGW_DLLS} DESTINATION . COMPONENT program)
install(FILES ${QM_QT_PLATFORM_PLUGINS} DESTINATION platforms COMPONENT program)
install(FILES ${QM_QT_STYLE_PLUGINS} DESTINATION styles COMPONENT program)
# README.txt carries the version.
configure_file(${PROJECT_SOURCE_DIR}/app/windows/README.txt ${CMAKE_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION . COMPONENT program)
