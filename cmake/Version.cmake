# The versions both programs print for --version: ours from project(VERSION), the Flash
# emulator's from the npm lock file that pins it (read again whenever the lock file changes).
set(lock_file ${PROJECT_SOURCE_DIR}/package-lock.json)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${lock_file})
file(READ ${lock_file} lock_text)
string(JSON BOOKSTUB_RUFFLE_VERSION ERROR_VARIABLE lock_error
  GET "${lock_text}" packages "node_modules/@ruffle-rs/ruffle" version)
if(lock_error)
  message(FATAL_ERROR "package-lock.json does not pin @ruffle-rs/ruffle: ${lock_error}")
endif()
set(BOOKSTUB_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildVersion.h.in
  ${BOOKSTUB_GENERATED_DIR}/util/BuildVersion.h @ONLY)
