# The installed package: headers under include/vorlix (the paths the tree uses), static libraries,
# the stand-in server program, the SDK's bundle resources and a template app bundle under share/vorlix,
# and the package config with Vorlix:: targets (Vorlix::SDK for a game, Vorlix::Server and
# Vorlix::vorlix-server for the stand-in server).
include(CMakePackageConfigHelpers)

# Bottom up; every library vx_sdk and vx_server link.
set(VX_PACKAGE_LIBRARIES
  vx_os_foundation vx_os_dispatch vx_os_net vx_os_graphics vx_os_imageio vx_os_quartz vx_os_text vx_os_web vx_os_uikit
  vx_http vx_foundation vx_widgets vx_image vx_wallet vx_platform_sdk vx_platform_sdk_user_center
  vx_sdk vx_server)

set(installed_folders "")
foreach(target IN LISTS VX_PACKAGE_LIBRARIES)
  string(REGEX REPLACE "^vx_" "" export_name ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${export_name})
  # A folder's headers, once per folder (the SDK core and vx_sdk share platform_sdk/).
  get_target_property(source_dir ${target} SOURCE_DIR)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${source_dir})
  if(NOT folder IN_LIST installed_folders)
    list(APPEND installed_folders ${folder})
    file(GLOB headers CONFIGURE_DEPENDS ${source_dir}/*.h)
    install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vorlix/${folder})
  endif()
endforeach()
set_target_properties(vx_sdk PROPERTIES EXPORT_NAME SDK)
set_target_properties(vx_server PROPERTIES EXPORT_NAME Server)
# Static libraries carry their build's link options (the sanitizers of the asan preset) to the game.
set_target_properties(vx_compile_options PROPERTIES EXPORT_NAME build_options)

install(TARGETS ${VX_PACKAGE_LIBRARIES} vx_compile_options vorlix-server EXPORT VorlixTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(VX_PACKAGE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vorlix)
install(EXPORT VorlixTargets NAMESPACE Vorlix:: DESTINATION ${VX_PACKAGE_CMAKE_DIR})

# The SDK's pictures, and the app bundle a game starts from (its Info.plist, VX.plist and channel).
set(VX_PACKAGE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/vorlix)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/VOZUV.bundle DESTINATION ${VX_PACKAGE_DATA_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/Info.plist ${PROJECT_SOURCE_DIR}/resources/VX.plist
  DESTINATION ${VX_PACKAGE_DATA_DIR}/app)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/VXAppInfo DESTINATION ${VX_PACKAGE_DATA_DIR}/app)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VorlixConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VorlixConfig.cmake
  INSTALL_DESTINATION ${VX_PACKAGE_CMAKE_DIR}
  PATH_VARS VX_PACKAGE_DATA_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VorlixConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VorlixConfig.cmake ${PROJECT_BINARY_DIR}/VorlixConfigVersion.cmake
  ${CMAKE_CURRENT_LIST_DIR}/VorlixBundle.cmake
  DESTINATION ${VX_PACKAGE_CMAKE_DIR})
