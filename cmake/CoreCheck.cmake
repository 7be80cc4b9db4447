# The portable cores: standard C++ only, each a library of its own that may
# use only the cores it links. Every #include of a core file is checked
# against an allow-list when the build is configured, natively and for
# Windows alike, so a Windows or compiler-private header, or a header of a
# core that the library does not link, stops the build and names the file.

set(ORV_STD_HEADERS
  algorithm any array atomic bitset cassert cctype cerrno cfenv cfloat charconv
  chrono cinttypes climits clocale cmath codecvt complex condition_variable
  csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar
  cwchar cwctype deque exception execution filesystem forward_list fstream
  functional future initializer_list iomanip ios iosfwd iostream istream
  iterator limits list locale map memory memory_resource mutex new numeric
  optional ostream queue random ratio regex scoped_allocator set shared_mutex
  sstream stack stdexcept streambuf string string_view system_error thread
  tuple type_traits typeindex typeinfo unordered_map unordered_set utility
  valarray variant vector)

# Files that may include one header beyond the standard: the processor's
# SHA instructions need the compiler's intrinsics, and feature detection
# needs its cpuid header. Nothing else in a core may.
set(ORV_CORE_HEADER_EXCEPTIONS
  "setup/core/CpuFeatures.cpp:cpuid.h"
  "setup/core/Sha1CompressHardware.cpp:immintrin.h")

# orv_check_core_includes(FILE ALLOWED_DIRS...): FILE is a path below the
# source folder; a quoted include must name a file below one of ALLOWED_DIRS.
function(orv_check_core_includes file)
  set(allowed_dirs ${ARGN})
  file(STRINGS ${CMAKE_SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>")
      set(header ${CMAKE_MATCH_1})
      if(header IN_LIST ORV_STD_HEADERS OR "${file}:${header}" IN_LIST ORV_CORE_HEADER_EXCEPTIONS)
        continue()
      endif()
      message(FATAL_ERROR "Portable core file ${file} includes <${header}>, which is not a standard C++ header")
    elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(header ${CMAKE_MATCH_1})
      set(ok FALSE)
      foreach(dir IN LISTS allowed_dirs)
        string(FIND "${header}" "${dir}/" at)
        if(at EQUAL 0 AND EXISTS ${CMAKE_SOURCE_DIR}/${header})
          set(ok TRUE)
        endif()
      endforeach()
      if(NOT ok)
        message(FATAL_ERROR "Portable core file ${file} includes \"${header}\", which is outside the cores it may use (${allowed_dirs})")
      endif()
    else()
      message(FATAL_ERROR "Portable core file ${file} has an include that is not checked: ${line}")
    endif()
  endforeach()
endfunction()

# orv_core_library(NAME DIR [USES core targets...] [SOURCES extra files...])
# Builds DIR/*.cpp as the static library NAME, linked to the cores it USES
# (and through them to theirs). DIR is relative to the source folder.
function(orv_core_library name dir)
  cmake_parse_arguments(ARG "" "" "USES;SOURCES" ${ARGN})
  set(allowed ${dir})
  foreach(dep IN LISTS ARG_USES)
    get_property(dep_dirs GLOBAL PROPERTY ORV_CORE_DIRS_${dep})
    if(NOT dep_dirs)
      message(FATAL_ERROR "${name} uses ${dep}, which is not a core library defined before it")
    endif()
    list(APPEND allowed ${dep_dirs})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(GLOBAL PROPERTY ORV_CORE_DIRS_${name} ${allowed})

  file(GLOB files CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
    ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  set(sources)
  foreach(f IN LISTS files)
    orv_check_core_includes(${f} ${allowed})
    list(APPEND sources ${CMAKE_SOURCE_DIR}/${f})
  endforeach()
  add_library(${name} STATIC ${sources} ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_USES})
endfunction()
