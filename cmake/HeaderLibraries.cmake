# Header-only libraries from the build machine's Debian packages: nlohmann-json3-dev writes the
# headless program's JSON, libxxhash-dev hashes resource contents. Both are used as headers
# alone, so a Windows cross build takes them too; such a build must not search the build
# machine's /usr/include as a whole, so the headers are copied into the build folder and
# included from there by every build.
find_path(CLASHWICK_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_path(CLASHWICK_XXHASH_INCLUDE xxhash.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(CLASHWICK_HEADER_LIBRARIES ${CMAKE_BINARY_DIR}/header-libraries)
file(COPY ${CLASHWICK_JSON_INCLUDE}/nlohmann DESTINATION ${CLASHWICK_HEADER_LIBRARIES})
file(COPY ${CLASHWICK_XXHASH_INCLUDE}/xxhash.h DESTINATION ${CLASHWICK_HEADER_LIBRARIES})
add_library(clashwick_header_libraries INTERFACE)
target_include_directories(clashwick_header_libraries SYSTEM INTERFACE ${CLASHWICK_HEADER_LIBRARIES})
