# System libraries bound at their first call rather than when the program
# starts. A client that finds its skin in the cache never talks HTTP itself,
# nor touches the shell before its window shows; the system's browser control
# brings WinINet and the shell in on its own once the frame is up. Each import
# library below has entries that load their DLL on first use (the toolchain's
# delay-load helper), made from the list of the functions we call.
#   tavik_delayed_import(NAME DLL FUNCTION@ARGBYTES...) -> target tavik_NAME_delayed
# A function left off a list is bound the ordinary way, from the toolchain's
# own import library, and loads its DLL at start again.
function(tavik_delayed_import name dll)
  set(_def "LIBRARY ${dll}\nEXPORTS\n")
  foreach(_function IN LISTS ARGN)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      string(REGEX REPLACE "@[0-9]+$" "" _function "${_function}")  # no stdcall decoration
    endif()
    string(APPEND _def "  ${_function}\n")
  endforeach()
  set(_dir ${CMAKE_BINARY_DIR}/${name}-delayed)
  file(WRITE ${_dir}/${name}.def.in "${_def}")
  configure_file(${_dir}/${name}.def.in ${_dir}/${name}.def COPYONLY)

  set(_dlltool ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool)
  set(_kill_at)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_kill_at -k)  # import by the plain names the DLL exports
  endif()
  add_custom_command(OUTPUT ${_dir}/lib${name}-delayed.a
    COMMAND ${_dlltool} ${_kill_at} -d ${name}.def -D ${dll} -y lib${name}-delayed.a
    DEPENDS ${_dir}/${name}.def
    WORKING_DIRECTORY ${_dir}
    COMMENT "${dll} import library bound at first call")
  add_custom_target(tavik_${name}_delayed_lib DEPENDS ${_dir}/lib${name}-delayed.a)
  add_library(tavik_${name}_delayed INTERFACE)
  add_dependencies(tavik_${name}_delayed tavik_${name}_delayed_lib)
  target_link_libraries(tavik_${name}_delayed INTERFACE ${_dir}/lib${name}-delayed.a)
endfunction()

tavik_delayed_import(wininet wininet.dll
  HttpAddRequestHeadersA@16 HttpOpenRequestA@32 HttpQueryInfoA@20 HttpSendRequestA@20
  InternetCloseHandle@4 InternetConnectA@32 InternetCrackUrlA@16 InternetErrorDlg@20
  InternetOpenA@20 InternetOpenUrlA@24 InternetQueryDataAvailable@16 InternetReadFile@16
  InternetSetOptionA@16)
tavik_delayed_import(shell32 shell32.dll
  SHGetDesktopFolder@4 SHGetFileInfoA@20 SHGetSpecialFolderPathA@16 ShellExecuteA@24)
tavik_delayed_import(shlwapi shlwapi.dll
  StrRetToBufW@16)
