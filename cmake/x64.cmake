# 64-bit console programs (Tarrow and 64-bit test fixtures), built with the x86_64 compiler directly.
set(OMNI_X64_CXX x86_64-w64-mingw32-g++-posix)
set(OMNI_X64_WINDRES x86_64-w64-mingw32-windres)

# omni_add_x64_console(NAME <target> OUTPUT <file.exe> SOURCES <cpp...> [RC <file.rc>] [FLAGS <flag...>]
#                      [SIGN <pfx>])
# Size-optimised like the 32-bit code, with unused functions left out at link time; signed with the .pfx
# (packaging/sign-code.sh) when SIGN names one.
function(omni_add_x64_console)
  cmake_parse_arguments(A "" "NAME;OUTPUT;RC;SIGN" "SOURCES;FLAGS" ${ARGN})
  set(inputs)
  foreach(s ${A_SOURCES})
    list(APPEND inputs ${CMAKE_CURRENT_SOURCE_DIR}/${s})
  endforeach()
  set(objects)
  set(deps ${inputs})
  if(A_RC)
    set(res ${CMAKE_CURRENT_BINARY_DIR}/${A_NAME}_res.o)
    add_custom_command(OUTPUT ${res}
      COMMAND ${OMNI_X64_WINDRES} -O coff -c 65001 -I ${CMAKE_SOURCE_DIR} -I ${OMNI_GENERATED}
              ${CMAKE_CURRENT_SOURCE_DIR}/${A_RC} ${res}
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${A_RC} ${OMNI_GENERATED}/omni_version.h)
    list(APPEND objects ${res})
    list(APPEND deps ${res})
  endif()
  set(sign)
  if(A_SIGN)
    set(sign COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/sign-code.sh ${A_SIGN} ${OMNI_BIN}/${A_OUTPUT})
    list(APPEND deps ${A_SIGN} ${CMAKE_SOURCE_DIR}/packaging/sign-code.sh)
  endif()
  add_custom_command(OUTPUT ${OMNI_BIN}/${A_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OMNI_BIN}
    COMMAND ${OMNI_X64_CXX} -std=c++17 -Os -ffunction-sections -fdata-sections -Wl,--gc-sections ${A_FLAGS}
            -Wall -municode -DUNICODE -D_UNICODE -I ${CMAKE_SOURCE_DIR}
            -static -static-libgcc -static-libstdc++ -o ${OMNI_BIN}/${A_OUTPUT} ${inputs} ${objects}
    ${sign}
    DEPENDS ${deps}
    COMMENT "Building 64-bit ${A_OUTPUT}")
  add_custom_target(${A_NAME} ALL DEPENDS ${OMNI_BIN}/${A_OUTPUT})
  if(A_SIGN)
    add_dependencies(${A_NAME} omni_test_pki)
  endif()
endfunction()
