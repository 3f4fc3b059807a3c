# The layers of src/, lowest first, each with every layer it may use (its own
# folder excepted). The build makes one static library of each and fails on an
# include that reaches outside these (cmake/CheckLayers.cmake). The tray and the
# main window are siblings: neither may use the other.
set(TAPESTREL_LAYERS base store net photoservice imaging wallpaper winui tray mainwindow app)
set(TAPESTREL_LAYER_USES_base "")
set(TAPESTREL_LAYER_USES_store base)
set(TAPESTREL_LAYER_USES_net base store)
set(TAPESTREL_LAYER_USES_photoservice base store net)
set(TAPESTREL_LAYER_USES_imaging base)
set(TAPESTREL_LAYER_USES_wallpaper base store net photoservice imaging)
set(TAPESTREL_LAYER_USES_winui base store net photoservice imaging wallpaper)
set(TAPESTREL_LAYER_USES_tray base store net photoservice imaging wallpaper winui)
set(TAPESTREL_LAYER_USES_mainwindow base store net photoservice imaging wallpaper winui)
set(TAPESTREL_LAYER_USES_app base store net photoservice imaging wallpaper winui tray mainwindow)
# Within the main window: the tabs and pages reach their host through
# TabHost, never through the main window itself ("folder:header" pairs).
set(TAPESTREL_LAYER_FORBIDDEN "mainwindow/tabs:mainwindow/MainWindow_CL.h" "mainwindow/pages:mainwindow/MainWindow_CL.h")
