# Makes the installer and the portable zip from an install folder, when anything they are made of
# changed since they were last made. Run by the build as a script:
#   cmake -DMAKENSIS= -DNSI= -DICON= -DWIZARD_BITMAP= -DVERSION= -DINPUT_DIR= -DSETUP= -DZIP= -DWORK_DIR=
#         -P MakePackages.cmake
foreach(name MAKENSIS NSI ICON VERSION INPUT_DIR SETUP ZIP WORK_DIR)
  if(NOT ${name})
    message(FATAL_ERROR "MakePackages: ${name} is not set")
  endif()
endforeach()
if(NOT EXISTS ${INPUT_DIR}/Corvane.exe)
  message(FATAL_ERROR "MakePackages: ${INPUT_DIR} holds no Corvane.exe; the install folder has to be made first")
endif()

# What the program writes beside itself at run time is the user's, never part of a package: the
# banner pictures and their half-written downloads. Setting.ini is packaged on its own terms.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${INPUT_DIR} ${INPUT_DIR}/*)
list(FILTER files EXCLUDE REGEX "^([123]\\.jpg|.*\\.part|Setting\\.ini)$")
list(SORT files)
file(GLOB entries RELATIVE ${INPUT_DIR} ${INPUT_DIR}/*)
list(SORT entries)

# The packages are made again when the content of anything they are made of changed: the folder's
# files (a removed one too), the script, the icon, the picture, the version. Contents, not times,
# since the install folder may be copied afresh on every build.
set(manifest "${VERSION}\n")
set(sources ${NSI} ${ICON} ${CMAKE_CURRENT_LIST_FILE})
if(WIZARD_BITMAP AND EXISTS ${WIZARD_BITMAP})
  list(APPEND sources ${WIZARD_BITMAP})
endif()
foreach(file ${files} Setting.ini)
  list(APPEND sources ${INPUT_DIR}/${file})
endforeach()
foreach(source ${sources})
  if(EXISTS ${source})
    file(SHA256 ${source} hash)
    string(APPEND manifest "${hash} ${source}\n")
  endif()
endforeach()
set(manifest_file ${WORK_DIR}/inputs.txt)
if(EXISTS ${manifest_file} AND EXISTS ${SETUP} AND EXISTS ${ZIP})
  file(READ ${manifest_file} previous)
  if(previous STREQUAL manifest)
    return()
  endif()
endif()
file(REMOVE ${manifest_file})

# The lines that install the folder's top-level files and folders, and those that remove them.
# Removal names each file and folder the package holds and nothing else.
set(install_lines "")
set(remove_lines "")
foreach(entry ${entries})
  if(entry STREQUAL "Setting.ini" OR entry MATCHES "^([123]\\.jpg|.*\\.part)$")
    continue()
  endif()
  if(IS_DIRECTORY ${INPUT_DIR}/${entry})
    string(APPEND install_lines "File /r \"${INPUT_DIR}/${entry}\"\n")
    string(APPEND remove_lines "RMDir /r \"$INSTDIR\\${entry}\"\n")
  else()
    string(APPEND install_lines "File \"${INPUT_DIR}/${entry}\"\n")
    string(APPEND remove_lines "Delete \"$INSTDIR\\${entry}\"\n")
  endif()
endforeach()
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/InstallFiles.nsh "${install_lines}")
file(WRITE ${WORK_DIR}/RemoveFiles.nsh "${remove_lines}")

get_filename_component(output_dir ${SETUP} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
set(defines -DVERSION=${VERSION} -DINPUT_DIR=${INPUT_DIR} -DOUTFILE=${SETUP} -DICON=${ICON}
            -DFILES_NSH=${WORK_DIR}/InstallFiles.nsh -DUNFILES_NSH=${WORK_DIR}/RemoveFiles.nsh)
if(WIZARD_BITMAP AND EXISTS ${WIZARD_BITMAP})
  list(APPEND defines -DWIZARD_BITMAP=${WIZARD_BITMAP})
endif()
execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 ${defines} ${NSI}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${SETUP})
  message(FATAL_ERROR "MakePackages: makensis failed (${result})")
endif()

# The portable zip holds one folder, Corvane, with the same files as the installer puts down.
set(stage ${WORK_DIR}/portable)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage}/Corvane)
foreach(file ${files} Setting.ini)
  if(EXISTS ${INPUT_DIR}/${file})
    get_filename_component(dir ${stage}/Corvane/${file} DIRECTORY)
    file(COPY ${INPUT_DIR}/${file} DESTINATION ${dir})
  endif()
endforeach()
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip Corvane
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "MakePackages: the portable zip could not be made (${result})")
endif()
file(WRITE ${manifest_file} "${manifest}")
message(STATUS "Made ${SETUP} and ${ZIP}")
