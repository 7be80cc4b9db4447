# The portable core must build without the Windows headers. A native build
# would fail on such an include anyway; this check also fails the Windows build
# and names the file.
function(orv_check_core_sources)
  foreach(src IN LISTS ARGN)
    file(STRINGS ${src} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](windows|winsock|winsock2|windef|winbase|winuser|shellapi|shlobj)\\.h[>\"]")
    if(hits)
      message(FATAL_ERROR "Portable core file includes a Windows header: ${src}: ${hits}")
    endif()
  endforeach()
endfunction()
