# WinINet bound at its first call rather than when the program starts: a
# client that finds its skin in the cache never talks HTTP itself, and the
# system's browser control brings WinINet in on its own once the frame shows.
# An import library whose entries load wininet.dll on first use (the toolchain's
# delay-load helper), made from this list of the functions we call.
set(TAVIK_WININET_FUNCTIONS
  HttpAddRequestHeadersA@16 HttpOpenRequestA@32 HttpQueryInfoA@20 HttpSendRequestA@20
  InternetCloseHandle@4 InternetConnectA@32 InternetCrackUrlA@16 InternetErrorDlg@20
  InternetOpenA@20 InternetOpenUrlA@24 InternetQueryDataAvailable@16 InternetReadFile@16
  InternetSetOptionA@16)

set(_def "LIBRARY wininet.dll\nEXPORTS\n")
foreach(_function IN LISTS TAVIK_WININET_FUNCTIONS)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+$" "" _function "${_function}")  # no stdcall decoration
  endif()
  string(APPEND _def "  ${_function}\n")
endforeach()
set(_dir ${CMAKE_BINARY_DIR}/wininet-delayed)
file(WRITE ${_dir}/wininet.def.in "${_def}")
configure_file(${_dir}/wininet.def.in ${_dir}/wininet.def COPYONLY)

set(_dlltool ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool)
set(_kill_at)
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_kill_at -k)  # import by the plain names wininet.dll exports
endif()
add_custom_command(OUTPUT ${_dir}/libwininet-delayed.a
  COMMAND ${_dlltool} ${_kill_at} -d wininet.def -D wininet.dll -y libwininet-delayed.a
  DEPENDS ${_dir}/wininet.def
  WORKING_DIRECTORY ${_dir}
  COMMENT "WinINet import library bound at first call")
add_custom_target(tavik_wininet_delayed_lib DEPENDS ${_dir}/libwininet-delayed.a)
add_library(tavik_wininet_delayed INTERFACE)
add_dependencies(tavik_wininet_delayed tavik_wininet_delayed_lib)
target_link_libraries(tavik_wininet_delayed INTERFACE ${_dir}/libwininet-delayed.a)
