set_source_files_properties(res/icons/pagewick.png PROPERTIES QT_RESOURCE_ALIAS pagewick.png)
set_source_files_properties(res/splash.png PROPERTIES QT_RESOURCE_ALIAS splash.png)
qt_add_resources(pagewick_ui images PREFIX /images FILES res/icons/pagewick.png res/splash.png)
