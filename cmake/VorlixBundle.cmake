# vorlix_add_bundle(<target> [INFO_PLIST file] [VX_PLIST file] [CHANNEL name])
#
# After each build of <target>, puts its app bundle in "resources" beside the program, where the main
# bundle is looked for at run time: the SDK's pictures (VOZUV.bundle) from the installed package, the
# game's Info.plist (bundle id, "VXPlatformAPIHost", orientations) and VX.plist (VORLIX_APPID,
# VORLIX_GAMEID, VORLIX_APPKEY, VORLIX_AGENT), and the channel as an empty file
# VXAppInfo/Channel/<name>. Files not given come from the package's template bundle (share/vorlix/app).
function(vorlix_add_bundle target)
  cmake_parse_arguments(ARG "" "INFO_PLIST;VX_PLIST;CHANNEL" "" ${ARGN})
  set(template ${Vorlix_DATA_DIR}/app)
  if(NOT ARG_INFO_PLIST)
    set(ARG_INFO_PLIST ${template}/Info.plist)
  endif()
  if(NOT ARG_VX_PLIST)
    set(ARG_VX_PLIST ${template}/VX.plist)
  endif()
  set(out $<TARGET_FILE_DIR:${target}>/resources)
  if(ARG_CHANNEL)
    set(channel COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/VXAppInfo/Channel
                COMMAND ${CMAKE_COMMAND} -E touch ${out}/VXAppInfo/Channel/${ARG_CHANNEL})
  else()
    set(channel COMMAND ${CMAKE_COMMAND} -E copy_directory ${template}/VXAppInfo ${out}/VXAppInfo)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${out}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${Vorlix_DATA_DIR}/VOZUV.bundle ${out}/VOZUV.bundle
    COMMAND ${CMAKE_COMMAND} -E copy ${ARG_INFO_PLIST} ${out}/Info.plist
    COMMAND ${CMAKE_COMMAND} -E copy ${ARG_VX_PLIST} ${out}/VX.plist
    ${channel}
    COMMENT "App bundle of ${target} in ${out}"
    VERBATIM)
endfunction()
