# vorlix_add_bundle(<target> [INFO_PLIST file] [VX_PLIST file] [CHANNEL name])
#
# Puts the app bundle of <target> in "resources" beside its program, where the main bundle is looked
# for at run time: the SDK's pictures (VOZUV.bundle) from the installed package, the game's
# Info.plist (bundle id, "VXPlatformAPIHost", orientations) and VX.plist (VORLIX_APPID,
# VORLIX_GAMEID, VORLIX_APPKEY, VORLIX_AGENT), and the channel as an empty file
# VXAppInfo/Channel/<name>. Files not given come from the package's template bundle (share/vorlix/app).
# Relative paths are taken from the calling CMakeLists.txt's folder, as for sources. The bundle is
# made again whenever one of its files changes, without relinking the program. Call it in the
# folder that creates <target>.
function(vorlix_add_bundle target)
  cmake_parse_arguments(ARG "" "INFO_PLIST;VX_PLIST;CHANNEL" "" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "vorlix_add_bundle(${target}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "vorlix_add_bundle(${target}): no target named ${target}")
  endif()
  set(template ${Vorlix_DATA_DIR}/app)
  if(NOT ARG_INFO_PLIST)
    set(ARG_INFO_PLIST ${template}/Info.plist)
  endif()
  if(NOT ARG_VX_PLIST)
    set(ARG_VX_PLIST ${template}/VX.plist)
  endif()
  set(inputs "")
  foreach(key INFO_PLIST VX_PLIST)
    cmake_path(ABSOLUTE_PATH ARG_${key} BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    if(NOT EXISTS ${ARG_${key}} OR IS_DIRECTORY ${ARG_${key}})
      message(FATAL_ERROR "vorlix_add_bundle(${target}): the ${key} file ${ARG_${key}} does not exist")
    endif()
    list(APPEND inputs ${ARG_${key}})
  endforeach()

  set(out $<TARGET_FILE_DIR:${target}>/resources)
  if(ARG_CHANNEL)
    set(channel COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/VXAppInfo/Channel
                COMMAND ${CMAKE_COMMAND} -E touch ${out}/VXAppInfo/Channel/${ARG_CHANNEL})
  else()
    set(channel COMMAND ${CMAKE_COMMAND} -E copy_directory ${template}/VXAppInfo ${out}/VXAppInfo)
    file(GLOB_RECURSE template_files ${template}/VXAppInfo/*)
    list(APPEND inputs ${template_files})
  endif()
  file(GLOB_RECURSE pictures ${Vorlix_DATA_DIR}/VOZUV.bundle/*)
  # A stamp stands for the copied folder (whose place depends on the target); being a source of the
  # target, it is made before the program links and again when an input changes.
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}-vorlix-bundle$<$<BOOL:$<CONFIG>>:-$<CONFIG>>.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${out}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${Vorlix_DATA_DIR}/VOZUV.bundle ${out}/VOZUV.bundle
    COMMAND ${CMAKE_COMMAND} -E copy ${ARG_INFO_PLIST} ${out}/Info.plist
    COMMAND ${CMAKE_COMMAND} -E copy ${ARG_VX_PLIST} ${out}/VX.plist
    ${channel}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${inputs} ${pictures}
    COMMENT "App bundle of ${target} (resources beside the program)"
    VERBATIM)
  target_sources(${target} PRIVATE ${stamp})
endfunction()
