# Build settings shared by every folder: which side we build, warnings, text encoding.
#
# PIMBO_WINDOWS is true in the MinGW tree, PIMBO_HOST in the native Linux tree.
if(WIN32)
  set(PIMBO_WINDOWS TRUE)
  set(PIMBO_HOST FALSE)
else()
  set(PIMBO_WINDOWS FALSE)
  set(PIMBO_HOST TRUE)
endif()

# Sources are UTF-8; every string literal becomes code page 932 bytes, as the
# programs show and store all text in the ANSI code page.
# Clang accepts no execution character set but UTF-8, so the host tree (clang) keeps UTF-8
# literals; host tests spell code page 932 bytes with hex escapes.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set(PIMBO_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=CP932)
else()
  set(PIMBO_CHARSET_FLAGS)
endif()

if(PIMBO_HOST)
  option(PIMBO_SANITIZE "Build the host tree with AddressSanitizer and UBSan" ON)
  if(PIMBO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
else()
  # -static: the programs import only Windows system DLLs and run on a clean Windows.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Shipped programs carry no symbol tables: they would more than double their size.
  add_link_options($<$<CONFIG:Release,MinSizeRel>:-s>)
  # Nor code they never call: the launcher links the profile library's reading objects, whose
  # neighbours (the editor's conversion back to UTF-8 and UTF-16, say) it has no use for.
  add_compile_options($<$<CONFIG:Release,MinSizeRel>:-ffunction-sections>
                      $<$<CONFIG:Release,MinSizeRel>:-fdata-sections>)
  add_link_options($<$<CONFIG:Release,MinSizeRel>:-Wl,--gc-sections>)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # GCC 12 reports impossible overlaps inside libstdc++'s own string concatenation when
  # optimising (-Wrestrict false positive, GCC bug 105329); our code has no restrict pointers.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>)
  endif()
endif()

# pimbo_target_defaults(target): warnings and charset for one of our own targets.
function(pimbo_target_defaults target)
  target_compile_options(${target} PRIVATE ${PIMBO_WARNINGS} ${PIMBO_CHARSET_FLAGS})
endfunction()

# pimbo_gui_program(target sources...): a Windows GUI program (no console).
function(pimbo_gui_program target)
  add_executable(${target} WIN32 ${ARGN})
  pimbo_target_defaults(${target})
endfunction()

# pimbo_wine_test(name target [args...]): a ctest test that runs a Windows program of this
# tree under Wine. Wine tests share one virtual desktop, one hot key and one mutex name, so
# they never run at the same time as each other.
function(pimbo_wine_test name target)
  add_test(NAME ${name} COMMAND ${target} ${ARGN})
  set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_desktop TIMEOUT 600)
endfunction()

# pimbo_manifest(target name description [STYLES_FOR_BOXES]): writes the program's application
# manifest into its build folder as <name>.manifest, where its .rc file embeds it. With
# STYLES_FOR_BOXES the common controls 6 go instead into <name>.boxes.manifest, which the .rc
# file embeds as manifest 2, for the activation context of the program's message boxes.
function(pimbo_manifest target name description)
  set(PIMBO_MANIFEST_NAME ${name})
  set(PIMBO_MANIFEST_DESCRIPTION ${description})
  set(part ${PROJECT_SOURCE_DIR}/cmake/common-controls.manifest.part)
  file(READ ${part} PIMBO_MANIFEST_DEPENDENCY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${part})
  if("STYLES_FOR_BOXES" IN_LIST ARGN)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/boxes.manifest.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${name}.boxes.manifest @ONLY)
    set(PIMBO_MANIFEST_DEPENDENCY "")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/app.manifest.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${name}.manifest @ONLY)
endfunction()

# pimbo_library_twin(library suffix options...): a copy of one of our static libraries, named
# <library>_<suffix>, built from the library's own sources and include directories with the
# compile options given instead of the tree's; the libraries it links get twins of their own.
# The benchmarks measure optimised code without the sanitizers, and the fuzzer needs coverage
# of the code it drives; neither keeps a source list of its own.
function(pimbo_library_twin library suffix)
  set(twin ${library}_${suffix})
  if(TARGET ${twin})
    return()
  endif()
  get_target_property(directory ${library} SOURCE_DIR)
  get_target_property(sources ${library} SOURCES)
  set(paths)
  foreach(source IN LISTS sources)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${directory}/${source})
    endif()
    list(APPEND paths ${source})
  endforeach()
  add_library(${twin} STATIC EXCLUDE_FROM_ALL ${paths})
  get_target_property(includes ${library} INCLUDE_DIRECTORIES)
  get_target_property(interface ${library} INTERFACE_INCLUDE_DIRECTORIES)
  target_include_directories(${twin} PRIVATE ${includes} INTERFACE ${interface})
  set_target_properties(${twin} PROPERTIES COMPILE_OPTIONS "${ARGN}")
  pimbo_target_defaults(${twin})
  get_target_property(links ${library} LINK_LIBRARIES)
  if(links)
    foreach(link IN LISTS links)
      pimbo_library_twin(${link} ${suffix} ${ARGN})
      target_link_libraries(${twin} PUBLIC ${link}_${suffix})
    endforeach()
  endif()
endfunction()

# pimbo_delay_import(target dll functions...): target loads dll on the first call of one of
# functions instead of at its start; every function target takes from dll must be named, or
# the ordinary import library brings the DLL back into the start. The loader's own helper
# (__delayLoadHelper2, in the MinGW runtime) loads it with LoadLibrary, which by then searches
# System32 only (RestrictDllSearch).
function(pimbo_delay_import target dll)
  string(REGEX REPLACE "\\.dll$" "" stem ${dll})
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${stem}_delay.def)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${stem}_delay.a)
  list(JOIN ARGN "\n" exports)
  file(WRITE ${def}.in "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
  configure_file(${def}.in ${def} COPYONLY)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${lib}
    DEPENDS ${def}
    COMMENT "Delay-import library for ${dll}")
  add_custom_target(${target}_${stem}_delay DEPENDS ${lib})
  add_dependencies(${target} ${target}_${stem}_delay)
  target_link_libraries(${target} PRIVATE ${lib})
endfunction()
