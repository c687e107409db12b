# Installs the build into a throw-away prefix and checks what a desktop needs from it: the
# binary, a valid desktop entry that starts it, and the icon in every size of the hicolor theme.
#   cmake -DBUILD_DIR=... -DVALIDATOR=... -DID=... -DSIZES=16;22;... -P desktop_install.cmake
cmake_minimum_required(VERSION 3.25)

set(prefix "${BUILD_DIR}/Testing/install-prefix")
file(REMOVE_RECURSE "${prefix}")

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

if(NOT EXISTS "${prefix}/bin/vorla")
    message(FATAL_ERROR "bin/vorla was not installed")
endif()

foreach(size IN LISTS SIZES)
    set(icon "${prefix}/share/icons/hicolor/${size}x${size}/apps/${ID}.png")
    if(NOT EXISTS "${icon}")
        message(FATAL_ERROR "missing icon ${icon}")
    endif()
    # The PNG signature, then the header chunk with width and height.
    file(READ "${icon}" header HEX LIMIT 24)
    string(SUBSTRING "${header}" 0 16 signature)
    string(SUBSTRING "${header}" 32 8 width)
    string(SUBSTRING "${header}" 40 8 height)
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width EQUAL size OR NOT height EQUAL size)
        message(FATAL_ERROR "${icon} is not a ${size} by ${size} PNG (${width} by ${height})")
    endif()
endforeach()

set(entry "${prefix}/share/applications/${ID}.desktop")
if(NOT EXISTS "${entry}")
    message(FATAL_ERROR "missing desktop entry ${entry}")
endif()
file(STRINGS "${entry}" lines)
foreach(expected "Exec=${prefix}/bin/vorla" "Icon=${ID}" "Type=Application" "Name=Vorla")
    if(NOT expected IN_LIST lines)
        message(FATAL_ERROR "${entry} lacks the line ${expected}")
    endif()
endforeach()

if(NOT VALIDATOR)
    message(FATAL_ERROR "desktop-file-validate is missing: scripts/deps installs desktop-file-utils")
endif()
execute_process(COMMAND "${VALIDATOR}" "${entry}" RESULT_VARIABLE status
    OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate rejects ${entry}:\n${output}")
endif()

file(REMOVE_RECURSE "${prefix}")
