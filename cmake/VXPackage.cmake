# The installed package: headers under include/vorlix (the paths the tree uses), static libraries,
# the stand-in server program, the SDK's bundle resources and a template app bundle under share/vorlix,
# and the package config with Vorlix:: targets in components: SDK (Vorlix::SDK, what a game links),
# Server (Vorlix::Server and Vorlix::vorlix-server, the stand-in server) and Testing
# (Vorlix::Testing, the test player).
include(CMakePackageConfigHelpers)

set(VX_PACKAGE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Vorlix)
set(VX_PACKAGE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/vorlix)

# A header that includes an outside library's header stays out of the package: the library's include
# folders are not on a game's compile line, so it could not compile there. It is the implementation's
# (os/net/CurlEngine.h, os/text/Engine.h); the installed header check (tests/package) fails when a
# public header includes one.
set(VX_PACKAGE_OUTSIDE_INCLUDE
  "^[ \t]*#[ \t]*include[ \t]*<(curl|pango|cairo|pixman|glib|fontconfig|litehtml|microhttpd|nlohmann|plist|unicode|mbedtls|sqlite3|png|jpeglib|gif_lib|tiff|openjpeg|zlib|httplib)")

# vx_package_component(<name> TARGETS <target>... [REQUIRES <component>...])
# One component of the package, declared bottom up (a new component is one more line below, its
# folder in VX_FOLDERS and, where a game names it, an EXPORT_NAME): its targets are exported to
# VorlixTargets-<name>.cmake, the headers of their folders are installed, and the package config
# loads it for find_package(Vorlix COMPONENTS <name>) once it has found the outside libraries its
# libraries link (VX_OUTSIDE_LINKS, from vx_library) and the components it requires.
set(VX_PACKAGE_COMPONENTS "")
set(VX_PACKAGE_COMPONENT_TABLE "set(_vorlix_components \"\")\n")
set(VX_PACKAGE_HEADER_FOLDERS "")
function(vx_package_component name)
  cmake_parse_arguments(ARG "" "" "TARGETS;REQUIRES" ${ARGN})
  set(links "")
  foreach(target IN LISTS ARG_TARGETS)
    get_target_property(export_name ${target} EXPORT_NAME)
    if(NOT export_name)
      string(REGEX REPLACE "^vx_" "" export_name ${target})
      set_target_properties(${target} PROPERTIES EXPORT_NAME ${export_name})
    endif()
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
      continue()
    endif()
    get_target_property(outside ${target} VX_OUTSIDE_LINKS)
    if(outside)
      list(APPEND links ${outside})
    endif()
    # Each folder's headers once (the SDK core and vx_sdk share platform_sdk/).
    get_target_property(source_dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${source_dir})
    if(folder IN_LIST VX_PACKAGE_HEADER_FOLDERS)
      continue()
    endif()
    list(APPEND VX_PACKAGE_HEADER_FOLDERS ${folder})
    file(GLOB headers CONFIGURE_DEPENDS ${source_dir}/*.h)
    foreach(header IN LISTS headers)
      file(STRINGS ${header} outside_include REGEX "${VX_PACKAGE_OUTSIDE_INCLUDE}" LIMIT_COUNT 1)
      if(NOT outside_include)
        install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vorlix/${folder})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES links)
  # The package config finds a required component's libraries first, and those only once.
  set(all_links ${links})
  foreach(required IN LISTS ARG_REQUIRES)
    if(NOT required IN_LIST VX_PACKAGE_COMPONENTS)
      message(FATAL_ERROR "Package component ${name} requires ${required}, which is not declared before it")
    endif()
    list(REMOVE_ITEM links ${VX_PACKAGE_LINKS_${required}})
    list(APPEND all_links ${VX_PACKAGE_LINKS_${required}})
  endforeach()
  foreach(link IN LISTS links)
    if(link MATCHES "^PkgConfig::(.+)$")
      if(NOT DEFINED VX_PKG_MODULES_${CMAKE_MATCH_1})
        message(FATAL_ERROR "${link}: the package finds only pkg-config modules found by vx_pkg_modules()")
      endif()
      string(APPEND VX_PACKAGE_COMPONENT_TABLE "set(_vorlix_pkg_${CMAKE_MATCH_1} ${VX_PKG_MODULES_${CMAKE_MATCH_1}})\n")
    endif()
  endforeach()
  string(APPEND VX_PACKAGE_COMPONENT_TABLE
    "list(APPEND _vorlix_components ${name})\n"
    "set(_vorlix_${name}_requires ${ARG_REQUIRES})\n"
    "set(_vorlix_${name}_links ${links})\n")
  list(APPEND VX_PACKAGE_COMPONENTS ${name})
  set(VX_PACKAGE_COMPONENTS ${VX_PACKAGE_COMPONENTS} PARENT_SCOPE)
  set(VX_PACKAGE_COMPONENT_TABLE "${VX_PACKAGE_COMPONENT_TABLE}" PARENT_SCOPE)
  set(VX_PACKAGE_HEADER_FOLDERS ${VX_PACKAGE_HEADER_FOLDERS} PARENT_SCOPE)
  set(VX_PACKAGE_LINKS_${name} ${all_links} PARENT_SCOPE)

  install(TARGETS ${ARG_TARGETS} EXPORT Vorlix${name}Targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(EXPORT Vorlix${name}Targets NAMESPACE Vorlix:: FILE VorlixTargets-${name}.cmake
    DESTINATION ${VX_PACKAGE_CMAKE_DIR})
endfunction()

# The SDK's pictures, and the app bundle a game starts from (its Info.plist, VX.plist and channel).
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/VOZUV.bundle DESTINATION ${VX_PACKAGE_DATA_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/Info.plist ${PROJECT_SOURCE_DIR}/resources/VX.plist
  DESTINATION ${VX_PACKAGE_DATA_DIR}/app)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/VXAppInfo DESTINATION ${VX_PACKAGE_DATA_DIR}/app)

# Exported names are the target's without "vx_" (Vorlix::os_foundation, ...), but for those a game names.
set_target_properties(vx_sdk PROPERTIES EXPORT_NAME SDK)
set_target_properties(vx_server PROPERTIES EXPORT_NAME Server)
set_target_properties(vx_sdk_testing PROPERTIES EXPORT_NAME Testing)
# Static libraries carry their build's link options (the sanitizers of the asan preset) to the game.
set_target_properties(vx_compile_options PROPERTIES EXPORT_NAME build_options)

# The components, bottom up; a new one is one more line here.
vx_package_component(SDK TARGETS
  vx_os_foundation vx_os_dispatch vx_os_net vx_os_graphics vx_os_imageio vx_os_quartz vx_os_text vx_os_web vx_os_uikit
  vx_http vx_foundation vx_widgets vx_image vx_wallet vx_platform_sdk vx_platform_sdk_user_center vx_sdk
  vx_compile_options)
vx_package_component(Server TARGETS vx_server vorlix-server REQUIRES SDK)
vx_package_component(Testing TARGETS vx_sdk_testing REQUIRES SDK)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VorlixConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VorlixConfig.cmake
  INSTALL_DESTINATION ${VX_PACKAGE_CMAKE_DIR}
  PATH_VARS VX_PACKAGE_DATA_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VorlixConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VorlixConfig.cmake ${PROJECT_BINARY_DIR}/VorlixConfigVersion.cmake
  ${CMAKE_CURRENT_LIST_DIR}/VorlixBundle.cmake
  DESTINATION ${VX_PACKAGE_CMAKE_DIR})
