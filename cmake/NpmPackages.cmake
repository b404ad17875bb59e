# The npm packages pinned by package-lock.json (the Flash emulator's web build, the browser tests'
# tools) are installed into node_modules/ when they are missing or do not match the lock file, as
# scripts/install-deps does, so that configuring a fresh clone needs no step before it. The stamp
# is the lock file as it was installed.
set(npm_lock ${PROJECT_SOURCE_DIR}/package-lock.json)
set(npm_modules ${PROJECT_SOURCE_DIR}/node_modules)
set(npm_stamp ${npm_modules}/.bookstub-lock)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${npm_lock})

file(SHA256 ${npm_lock} npm_lock_hash)
set(npm_stamp_hash "")
if(EXISTS ${npm_stamp})
  file(SHA256 ${npm_stamp} npm_stamp_hash)
endif()
if(NOT npm_lock_hash STREQUAL npm_stamp_hash)
  if(IS_SYMLINK ${npm_modules})
    # Another checkout's folder: npm ci would empty it under that checkout.
    message(WARNING "node_modules links to another checkout's folder and does not match "
      "package-lock.json; run scripts/install-deps in the checkout that owns it.")
  else()
    find_program(NPM_PROGRAM npm)
    if(NOT NPM_PROGRAM)
      message(FATAL_ERROR "The npm packages pinned by package-lock.json are missing and npm is not "
        "installed: run scripts/install-deps")
    endif()
    message(STATUS "Installing the npm packages pinned by package-lock.json (npm ci)")
    execute_process(COMMAND ${NPM_PROGRAM} ci --no-audit --no-fund
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE npm_result)
    if(NOT npm_result EQUAL 0)
      message(FATAL_ERROR "npm ci failed (${npm_result}); run scripts/install-deps")
    endif()
    file(COPY_FILE ${npm_lock} ${npm_stamp})
  endif()
endif()
