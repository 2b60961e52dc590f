# SPDX-License-Identifier: GPL-3.0-or-later
# Locates the LibreOffice SDK and generates the office API headers once per build tree.
# Provides the interface target stampwell::uno (headers, definitions, link libraries, rpath).
set(LIBREOFFICE_PROGRAM_DIR "/usr/lib/libreoffice/program" CACHE PATH "LibreOffice program directory")
set(LIBREOFFICE_SDK_DIR "/usr/lib/libreoffice/sdk" CACHE PATH "LibreOffice SDK directory")

if(NOT EXISTS "${LIBREOFFICE_SDK_DIR}/bin/cppumaker")
  message(FATAL_ERROR "LibreOffice SDK not found at ${LIBREOFFICE_SDK_DIR}: run scripts/install-deps.sh")
endif()

set(UNO_GEN_DIR "${CMAKE_BINARY_DIR}/uno-include")
set(UNO_GEN_STAMP "${UNO_GEN_DIR}/.stamp")
add_custom_command(
  OUTPUT "${UNO_GEN_STAMP}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${UNO_GEN_DIR}"
  COMMAND "${LIBREOFFICE_SDK_DIR}/bin/cppumaker" -Gc "-O${UNO_GEN_DIR}"
          "${LIBREOFFICE_PROGRAM_DIR}/types.rdb" "${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb"
  COMMAND ${CMAKE_COMMAND} -E touch "${UNO_GEN_STAMP}"
  COMMENT "Generating LibreOffice API headers"
  VERBATIM)
add_custom_target(stampwell_uno_headers DEPENDS "${UNO_GEN_STAMP}")

add_library(stampwell_uno INTERFACE)
add_library(stampwell::uno ALIAS stampwell_uno)
add_dependencies(stampwell_uno stampwell_uno_headers)
target_include_directories(stampwell_uno SYSTEM INTERFACE "${LIBREOFFICE_SDK_DIR}/include" "${UNO_GEN_DIR}")
target_compile_definitions(stampwell_uno INTERFACE LINUX UNX CPPU_ENV=gcc3)
target_link_directories(stampwell_uno INTERFACE "${LIBREOFFICE_SDK_DIR}/lib")
target_link_libraries(stampwell_uno INTERFACE uno_cppuhelpergcc3 uno_cppu uno_sal)
# The programs search LibreOffice's program folder for the UNO libraries. The links Debian puts
# into the system's library folder are not enough: the UNO libraries find their own private
# ones (libreglo, libunoidllo, libxmlreaderlo) through $ORIGIN, which names the folder they
# were loaded from, and only the program folder holds those.
# The component the office loads needs no search path: the office has those libraries loaded.
target_link_options(stampwell_uno INTERFACE
  "$<$<NOT:$<STREQUAL:$<TARGET_PROPERTY:TYPE>,MODULE_LIBRARY>>:-Wl,-rpath,${LIBREOFFICE_PROGRAM_DIR}>")
