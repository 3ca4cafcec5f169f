# Every outside library the project links, found once here.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(CURL REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(TIFF REQUIRED)
# The page engine of the web view (liblitehtml-dev): its target `litehtml` links gumbo, its parser.
find_package(litehtml REQUIRED)

# vx_pkg_modules(PREFIX module...): pkg-config modules as the imported target PkgConfig::PREFIX. The
# modules are kept (VX_PKG_MODULES_<PREFIX>) for the installed package, which finds them again.
macro(vx_pkg_modules prefix)
  pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET ${ARGN})
  set(VX_PKG_MODULES_${prefix} ${ARGN})
endmacro()
vx_pkg_modules(PLIST libplist-2.0)
vx_pkg_modules(CAIRO cairo)
vx_pkg_modules(PIXMAN pixman-1)
vx_pkg_modules(PANGO pangocairo pangoft2 fontconfig)
vx_pkg_modules(OPENJPEG libopenjp2)
vx_pkg_modules(MICROHTTPD libmicrohttpd)

# mbed TLS 2.28 ships no pkg-config file; the installed package config makes the same target.
find_library(MBEDCRYPTO_LIBRARY mbedcrypto REQUIRED)
find_path(MBEDTLS_INCLUDE_DIR mbedtls/md5.h REQUIRED)
add_library(MbedTLS::mbedcrypto UNKNOWN IMPORTED)
set_target_properties(MbedTLS::mbedcrypto PROPERTIES IMPORTED_LOCATION ${MBEDCRYPTO_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${MBEDTLS_INCLUDE_DIR})

# Only the test programs, benchmarks and fuzz helpers use these (through tests/support).
if(BUILD_TESTING)
  find_package(GTest REQUIRED)
  vx_pkg_modules(HTTPLIB cpp-httplib)
endif()
if(VX_BUILD_BENCH)
  find_package(benchmark QUIET)
endif()
