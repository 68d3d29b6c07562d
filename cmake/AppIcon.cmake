# The application icon, built into a target as the resources :/icons/wavecrest.png
# (the largest size) and :/icons/wavecrest-<size>.png. Its sizes and the .ico
# for the Windows resource lie in resources/icons (see make_icons.sh).
function(wavecrest_add_app_icon target)
    set(icons ${PROJECT_SOURCE_DIR}/resources/icons)
    set_source_files_properties(${icons}/wavecrest-256.png PROPERTIES QT_RESOURCE_ALIAS wavecrest.png)
    qt_add_resources(${target} wavecrest_icons PREFIX /icons BASE ${icons}
        FILES ${icons}/wavecrest-256.png ${icons}/wavecrest-48.png ${icons}/wavecrest-32.png
              ${icons}/wavecrest-16.png)
endfunction()
