# Helpers shared by every folder's CMakeLists.txt.

# Adds every direct or nested sub-folder of DIR that has a CMakeLists.txt (a folder that adds its own
# children is not searched further).
function(qel_add_subdirectories dir)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child})
      if(EXISTS ${child}/CMakeLists.txt)
        add_subdirectory(${child})
      else()
        file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${child})
        qel_add_subdirectories(${rel})
      endif()
    endif()
  endforeach()
endfunction()

# qel_library(NAME [DEPS targets...] [PRIVATE_DEPS targets...])
# A static library of every .cpp/.c below the current folder. Includes are written from the project
# root ("engine/core/core_data.h"). Static libraries may depend on each other in a cycle: executables
# link them through qel_link_group.
function(qel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  _qel_fuzz_keep_listed(sources)
  if(NOT sources)
    # A library whose first sources have not landed yet still links.
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${sources} "")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_property(GLOBAL APPEND PROPERTY QEL_LIBRARIES ${name})
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  if(rel MATCHES "^(engine|game)/")
    set_property(GLOBAL APPEND PROPERTY QEL_MODULE_LIBRARIES ${name})
  endif()
endfunction()

# qel_link_modules(TARGET): links TARGET with every library below engine/ and game/, once every folder
# has been read. The core's table names every module's functions, so the core takes them all; anything
# linking the core then links the whole engine (only the objects it uses are pulled in).
function(qel_link_modules target)
  # Deferred arguments are expanded when the call runs, so the name is written in as it is now.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _qel_link_modules [[${target}]])")
endfunction()
function(_qel_link_modules target)
  get_property(libs GLOBAL PROPERTY QEL_MODULE_LIBRARIES)
  list(REMOVE_ITEM libs ${target})
  target_link_libraries(${target} PUBLIC ${libs})
endfunction()

# qel_link_group(TARGET libraries...): links TARGET with the libraries named and every one of ours they
# reach, all inside one linker group, whose archives the linker searches again until nothing new is
# pulled in: the order of the libraries and the cycles between them then do not matter. Other items
# (imported targets, system libraries) are linked as usual. Runs once every folder has been read, when
# every library's dependencies are known; imported targets, which only their own folder sees, are
# linked at once.
function(qel_link_group target)
  set(later "")
  foreach(item ${ARGN})
    set(imported FALSE)
    if(TARGET ${item})
      get_target_property(imported ${item} IMPORTED)
    endif()
    if(imported)
      target_link_libraries(${target} PRIVATE ${item})
    else()
      list(APPEND later ${item})
    endif()
  endforeach()
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL _qel_link_group [[${target}]] ${later})")
endfunction()
function(_qel_link_group target)
  get_property(ours GLOBAL PROPERTY QEL_LIBRARIES)
  set(group "")
  set(others "")
  set(pending ${ARGN})
  while(pending)
    list(POP_FRONT pending item)
    if(item MATCHES "^\\$<LINK_ONLY:(.*)>$")
      set(item ${CMAKE_MATCH_1})
    endif()
    if(NOT item IN_LIST ours)
      if(item IN_LIST ARGN)
        list(APPEND others ${item})
      endif()
    elseif(NOT item IN_LIST group)
      list(APPEND group ${item})
      get_target_property(deps ${item} INTERFACE_LINK_LIBRARIES)
      if(deps)
        list(APPEND pending ${deps})
      endif()
    endif()
  endwhile()
  if(group)
    list(JOIN group "," members)
    target_link_libraries(${target} PRIVATE "$<LINK_GROUP:RESCAN,${members}>")
  endif()
  target_link_libraries(${target} PRIVATE ${others})
endfunction()

# qel_test(NAME LIBS targets... [GL] [XVFB] [TIMEOUT seconds])
# One GoogleTest executable of every *_test.cpp in the current folder, run by CTest as one test.
#   GL:   needs a GL context; runs with SDL's offscreen video driver (EGL, no X server).
#   XVFB: needs a real window; runs under its own Xvfb (tools/with-xvfb.sh) inside timeout -s KILL.
function(qel_test name)
  cmake_parse_arguments(ARG "GL;XVFB" "TIMEOUT" "LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  if(NOT sources)
    return()  # a test folder whose first tests have not landed yet
  endif()
  add_executable(${name} ${sources})
  qel_link_group(${name} ${ARG_LIBS})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set(env "SDL_AUDIODRIVER=dummy" "QEL_UNDER_TEST=1" "QEL_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
          "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tools/lsan.supp:print_suppressions=0")
  if(ARG_XVFB)
    add_test(NAME ${name}
             COMMAND timeout -s KILL ${ARG_TIMEOUT} ${CMAKE_SOURCE_DIR}/tools/with-xvfb.sh
                     $<TARGET_FILE:${name}>
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND env "SDL_VIDEODRIVER=x11")
  else()
    add_test(NAME ${name} COMMAND $<TARGET_FILE:${name}> WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    if(ARG_GL)
      list(APPEND env "SDL_VIDEODRIVER=offscreen")
    endif()
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${ARG_TIMEOUT})
endfunction()

# A lean fuzz build (QEL_FUZZ_SOURCES names a file of source paths, one a line, from the project
# root) compiles only the listed sources of each library: those the fuzz targets link, a fraction of
# the whole engine. Nothing but the fuzz targets links in such a build.
function(_qel_fuzz_keep_listed var)
  if(NOT QEL_FUZZ OR NOT QEL_FUZZ_SOURCES)
    return()
  endif()
  file(STRINGS ${QEL_FUZZ_SOURCES} listed REGEX "^[^#]")
  list(TRANSFORM listed PREPEND ${CMAKE_SOURCE_DIR}/)
  set(kept "")
  foreach(source ${${var}})
    if(source IN_LIST listed)
      list(APPEND kept ${source})
    endif()
  endforeach()
  set(${var} ${kept} PARENT_SCOPE)
endfunction()

# qel_fuzz(NAME SOURCE file LIBS targets...): a libFuzzer target (built only with QEL_FUZZ). Its link
# map (fuzz/NAME.map) tells which objects it took from the libraries (tools/fuzz.sh sources).
function(qel_fuzz name)
  if(NOT QEL_FUZZ)
    return()  # tests/ is read in every build; the fuzz targets need clang's libFuzzer
  endif()
  cmake_parse_arguments(ARG "" "SOURCE" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCE})
  qel_link_group(${name} ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer -Wl,-Map,${CMAKE_BINARY_DIR}/fuzz/${name}.map)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
