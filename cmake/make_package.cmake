# The release package: Corvane-<version>.zip with one folder of the program,
# its two guides and an example MainMachine.ord, and the zip's SHA-256 beside
# it in the form sha256sum -c reads.
#
#   cmake -DEXE=<Corvane.exe> -DVERSION=<x.y.z> -DSOURCE_DIR=<repository>
#         -DOUT_DIR=<folder> -P cmake/make_package.cmake
#
# Writes OUT_DIR/Corvane-<version>/ (the staged folder), OUT_DIR/
# Corvane-<version>.zip and OUT_DIR/Corvane-<version>.zip.sha256.
cmake_minimum_required(VERSION 3.22)

foreach(input EXE VERSION SOURCE_DIR OUT_DIR)
  if("${${input}}" STREQUAL "")
    message(FATAL_ERROR "make_package: -D${input}=... is required")
  endif()
endforeach()
if(NOT VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "make_package: VERSION must read as major.minor.patch, got '${VERSION}'")
endif()

set(guides "${SOURCE_DIR}/docs/guia")
set(files "${EXE}" "${guides}/LEEME.txt" "${guides}/README-en.txt" "${guides}/MainMachine.ord")
foreach(file IN LISTS files)
  if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
    message(FATAL_ERROR "make_package: ${file} is missing")
  endif()
endforeach()

# The guides are read in Notepad on whatever Windows the venue has: an older
# Notepad shows a file with bare LF line ends as one line, and one without the
# byte order mark shows the accents as two odd characters each. A checkout or
# an editor that changed either must stop the package, not ship it.
# file(READ) as text drops the CRs, so the bytes are read as hex, one byte
# to a space-led token: what is left after the CR LF pairs are taken out must
# hold no LF.
foreach(text "${guides}/LEEME.txt" "${guides}/README-en.txt" "${guides}/MainMachine.ord")
  file(READ "${text}" bytes HEX)
  string(REGEX REPLACE "(..)" " \\1" bytes "${bytes}")
  string(REPLACE " 0d 0a" "" bytes "${bytes}")
  if(bytes MATCHES " 0a")
    message(FATAL_ERROR "make_package: ${text} has a line end without CR; the package ships CR LF")
  endif()
endforeach()
foreach(guide "${guides}/LEEME.txt" "${guides}/README-en.txt")
  file(READ "${guide}" head LIMIT 3 HEX)
  if(NOT head STREQUAL "efbbbf")
    message(FATAL_ERROR "make_package: ${guide} does not start with the UTF-8 byte order mark")
  endif()
endforeach()

set(name "Corvane-${VERSION}")
set(stage "${OUT_DIR}/${name}")
set(zip "${OUT_DIR}/${name}.zip")

# Staged afresh, so nothing of an earlier package (a file since renamed) rides along.
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}")
file(COPY_FILE "${EXE}" "${stage}/Corvane.exe")
file(COPY_FILE "${guides}/LEEME.txt" "${stage}/LEEME.txt")
file(COPY_FILE "${guides}/README-en.txt" "${stage}/README-en.txt")
file(COPY_FILE "${guides}/MainMachine.ord" "${stage}/MainMachine.ord")

# Written under a passing name and renamed once whole, so a build that is
# stopped half-way never leaves a truncated zip under the name the sum and the
# tests use. The files are named one by one, in a fixed order: naming the
# folder would add it recursively, in the order the disk lists it, and naming
# both would store every file twice. Unzipping makes the folder all the same.
set(partial "${zip}.partial")
file(REMOVE "${partial}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E tar cf "${partial}" --format=zip
          "${name}/Corvane.exe" "${name}/LEEME.txt" "${name}/README-en.txt" "${name}/MainMachine.ord"
  WORKING_DIRECTORY "${OUT_DIR}"
  RESULT_VARIABLE zipped
  ERROR_VARIABLE zipErrors)
if(NOT zipped EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "make_package: could not write ${zip}: ${zipErrors}")
endif()
file(RENAME "${partial}" "${zip}")

# Two spaces between the sum and the name, and LF: what sha256sum -c expects.
file(SHA256 "${zip}" sum)
file(WRITE "${zip}.sha256.partial" "${sum}  ${name}.zip\n")
file(RENAME "${zip}.sha256.partial" "${zip}.sha256")

message(STATUS "Package: ${zip}")
