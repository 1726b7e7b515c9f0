# Install rules: headers, libraries, the exported CMake package (find_package(Ombrel)) and
# pkg-config files. Every path written into the package is relative to the install prefix,
# so `cmake --install <build> --prefix <anywhere>` gives a usable tree.
#
#   include/ombrel/...                     public headers (platform/qt/ is private and stays)
#   lib/libombrel_*.a or .so.<maj.min>     the libraries
#   lib/cmake/Ombrel/                      OmbrelConfig.cmake, version file, targets
#   lib/pkgconfig/ombrel-common.pc         Common without Qt
#   lib/pkgconfig/ombrel.pc                GUI (and the framework layer over Qt)
#   lib/pkgconfig/ombrel-qt.pc             GridWidget

include(CMakePackageConfigHelpers)

get_property(libraries GLOBAL PROPERTY OMBREL_LIBRARIES)
set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Ombrel)

install(TARGETS ${libraries} EXPORT OmbrelTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Headers of the libraries that were built. Public headers of the grid reach a few detail/
# headers (the row block list), so detail/ folders are installed too; they are private by
# name, not by absence.
set(header_dirs base common)
if(TARGET ombrel_gui)
    list(APPEND header_dirs platform gui)
endif()
if(TARGET ombrel_qt)
    list(APPEND header_dirs qt)
    install(FILES ${OMBREL_QT_EXPORT_HEADER} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ombrel/qt)
endif()
foreach(dir IN LISTS header_dirs)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/ombrel/${dir}
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ombrel
            FILES_MATCHING PATTERN "*.h"
            REGEX "/platform/qt$" EXCLUDE)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/src/ombrel/Common.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ombrel)
if(TARGET ombrel_gui)
    install(FILES ${PROJECT_SOURCE_DIR}/src/ombrel/Platform.h ${PROJECT_SOURCE_DIR}/src/ombrel/GUI.h
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ombrel)
endif()

# The CMake package.
install(EXPORT OmbrelTargets NAMESPACE Ombrel:: DESTINATION ${config_dir})
set(OMBREL_PACKAGE_NEEDS_QT OFF)
if(TARGET ombrel_platform)
    set(OMBREL_PACKAGE_NEEDS_QT ON)
endif()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OmbrelConfig.cmake.in
    ${PROJECT_BINARY_DIR}/package/OmbrelConfig.cmake
    INSTALL_DESTINATION ${config_dir})
# 0.x: a newer minor version may break the interface, so only the same minor version matches.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/OmbrelConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/OmbrelConfig.cmake
              ${PROJECT_BINARY_DIR}/package/OmbrelConfigVersion.cmake
        DESTINATION ${config_dir})

# pkg-config files. The prefix is found from the file's own place, so the tree may move.
file(RELATIVE_PATH OMBREL_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" OMBREL_PC_TO_PREFIX "${OMBREL_PC_TO_PREFIX}")
# A static library needs what it links on the command line of its user; a shared one does not.
set(OMBREL_PC_QT_MODULES "Qt6Widgets, Qt6PrintSupport")
if(BUILD_SHARED_LIBS)
    set(OMBREL_PC_GUI_REQUIRES "ombrel-common = ${PROJECT_VERSION}\nRequires.private: ${OMBREL_PC_QT_MODULES}")
else()
    set(OMBREL_PC_GUI_REQUIRES "ombrel-common = ${PROJECT_VERSION}, ${OMBREL_PC_QT_MODULES}")
endif()

function(ombrel_pkg_config file name description requires libs)
    set(OMBREL_PC_NAME "${name}")
    set(OMBREL_PC_DESCRIPTION "${description}")
    set(OMBREL_PC_REQUIRES "${requires}")
    set(OMBREL_PC_LIBS "${libs}")
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ombrel.pc.in
                   ${PROJECT_BINARY_DIR}/package/${file} @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/package/${file}
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()

ombrel_pkg_config(ombrel-common.pc "Ombrel Common"
    "values, formats, fields and data objects of the Ombrel data grid (no Qt)"
    "" "-lombrel_common -lombrel_base")
if(TARGET ombrel_gui)
    ombrel_pkg_config(ombrel.pc "Ombrel"
        "the Ombrel data grid: the grid window and its framework layer on Qt 6 Widgets"
        "${OMBREL_PC_GUI_REQUIRES}"
        "-lombrel_gui -lombrel_platform")
endif()
if(TARGET ombrel_qt)
    ombrel_pkg_config(ombrel-qt.pc "Ombrel Qt"
        "Ombrel::GridWidget, the Ombrel data grid as a QWidget with signals"
        "ombrel = ${PROJECT_VERSION}, Qt6Widgets" "-lombrel_qt")
endif()
