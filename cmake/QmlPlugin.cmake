# A QML extension plug-in in the program's QML folder: the library and its
# qmldir in bin/qml/<uri>/, installed to the same place under the prefix.
# Its symbols stay its own, since the modules' plug-in classes share names.
function(strovane_qml_plugin target uri qmldir)
    set(dir ${STROVANE_BIN_DIR}/qml/${uri})
    set_target_properties(${target} PROPERTIES
        AUTORCC ON
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LIBRARY_OUTPUT_DIRECTORY ${dir}
        BUILD_RPATH "$ORIGIN/../.."
        INSTALL_RPATH "$ORIGIN/../..")
    configure_file(${qmldir} ${dir}/qmldir COPYONLY)
    install(TARGETS ${target} LIBRARY DESTINATION ${STROVANE_INSTALL_DIR}/qml/${uri})
    install(FILES ${qmldir} DESTINATION ${STROVANE_INSTALL_DIR}/qml/${uri})
endfunction()
