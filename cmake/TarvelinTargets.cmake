# Compiler settings shared by every target of the project.

if(MSVC)
  # The product links its runtime statically.
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
endif()

function(tarvelin_defaults target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8 /EHsc /Zc:__cplusplus)
    # Hardening: stack cookies, control-flow guard, ASLR with high-entropy addresses, DEP and
    # terminal-server awareness.
    target_compile_options(${target} PRIVATE /GS /guard:cf)
    target_link_options(${target} PRIVATE /guard:cf /DYNAMICBASE /HIGHENTROPYVA /NXCOMPAT /TSAWARE)
    if(TARVELIN_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
    if(TARVELIN_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE
      UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
    if(MINGW)
      # One self-contained executable: no MinGW runtime DLLs beside it.
      target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
      # A small executable: unused code dropped, no symbols in release builds.
      target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
      target_link_options(${target} PRIVATE -Wl,--gc-sections $<$<CONFIG:Release,MinSizeRel>:-s>)
      # Hardening: ASLR with high-entropy addresses (the relocations kept for it), DEP,
      # terminal-server awareness; in release builds the stack protector and the checked string
      # and memory functions as well.
      target_link_options(${target} PRIVATE
        -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat -Wl,--tsaware)
      set(release $<CONFIG:Release,MinSizeRel>)
      target_compile_options(${target} PRIVATE $<${release}:-fstack-protector-strong>)
      target_compile_definitions(${target} PRIVATE $<${release}:_FORTIFY_SOURCE=2>)
      target_link_options(${target} PRIVATE $<${release}:-fstack-protector-strong>)
      # The same bytes from the same sources in any folder at any time: no time stamp in the PE
      # header, no build folder in the code.
      target_compile_options(${target} PRIVATE
        -ffile-prefix-map=${PROJECT_BINARY_DIR}=build -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.)
      target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
    endif()
  endif()
  if(TARVELIN_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# A program whose entry point takes UTF-16 arguments: wWinMain or wmain.
function(tarvelin_unicode_entry target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# Adds the program's resources (manifest, version information, images) to a Windows target.
function(tarvelin_resources target)
  set(rc ${PROJECT_SOURCE_DIR}/resources/tarvelin.rc)
  file(GLOB images CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/images/*.ico)
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${images};${PROJECT_SOURCE_DIR}/resources/tarvelin.manifest;${PROJECT_SOURCE_DIR}/resources/resource_ids.h")
  target_sources(${target} PRIVATE ${rc})
endfunction()

# tarvelin_include_root(ROOT PATTERNS...)
#   An include root in the build tree that holds only the headers the patterns (relative to the
#   source tree, e.g. "toolkit/*.h") name: for each header a file of the same path below ROOT that
#   includes the header itself. So "toolkit/form_win.h" is found through a root that holds the
#   toolkit's headers, and a header of any other folder is not found at all. The files are written
#   when the build is configured, and again whenever a header is added or removed (the build
#   checks the folders); an edit of a header needs nothing, as the compiler reads it from the
#   sources. Files of headers that are gone are removed, so an include of one fails as it should.
function(tarvelin_include_root root)
  list(TRANSFORM ARGN PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE patterns)
  file(GLOB headers CONFIGURE_DEPENDS ${patterns})
  set(written "")
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH path ${PROJECT_SOURCE_DIR} ${header})
    set(forward ${root}/${path})
    set(content "// ${path} of the sources, for the include root of its folder (written by the build).\n#include \"${header}\"\n")
    set(present "")
    if(EXISTS ${forward})
      file(READ ${forward} present)
    endif()
    # Rewritten only when it changes: a new time stamp would rebuild everything that includes it.
    if(NOT present STREQUAL content)
      file(WRITE ${forward} "${content}")
    endif()
    list(APPEND written ${forward})
  endforeach()
  file(GLOB_RECURSE stale ${root}/*.h)
  list(REMOVE_ITEM stale ${written} "")
  if(stale)
    file(REMOVE ${stale})
  endif()
endfunction()

# tarvelin_library(NAME [SOURCES portable...] [WINDOWS files...] [LINKS libs...] [SYSTEM libs...])
#   The library of one folder of the program: its portable files in every build, its Windows files
#   and the system libraries they call in Windows builds; a folder of headers only makes an
#   interface library. LINKS names the program's libraries it stands on. Its include root
#   (include/NAME in the build tree) holds its own headers only, and what links it gets that root
#   with the roots of the libraries below it: a library never links one above it, so an include
#   that points up fails to build, whether the header has code of its own or not.
function(tarvelin_library name)
  cmake_parse_arguments(L "" "" "SOURCES;WINDOWS;LINKS;SYSTEM" ${ARGN})
  if(WIN32)
    list(APPEND L_SOURCES ${L_WINDOWS})
  endif()
  set(root ${PROJECT_BINARY_DIR}/include/${name})
  tarvelin_include_root(${root} ${name}/*.h)
  if(NOT L_SOURCES)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${L_LINKS})
    return()
  endif()
  add_library(${name} STATIC ${L_SOURCES})
  tarvelin_defaults(${name})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${L_LINKS})
  if(WIN32)
    target_link_libraries(${name} PUBLIC ${L_SYSTEM})
  endif()
endfunction()
