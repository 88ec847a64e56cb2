# Windows builds use a Qt without its SVG module: the program's pictures are rendered to PNGs on
# the build machine by the host's vlm-render-icon (VLM_HOST_RENDER_ICON) and compiled into
# `target` as resources ":/pictures/NAME-SIZE.png".
set(VLM_PICTURE_SIZES 16 20 24 32 40 48 64 128 256)

function(vlm_add_rendered_pictures target)
  if(NOT VLM_HOST_RENDER_ICON)
    message(FATAL_ERROR "VLM_HOST_RENDER_ICON must name the host's vlm-render-icon")
  endif()
  file(GLOB svgs ${CMAKE_SOURCE_DIR}/resources/icons/*.svg)
  set(pngs)
  foreach(svg ${svgs})
    get_filename_component(name ${svg} NAME_WE)
    foreach(size ${VLM_PICTURE_SIZES})
      set(png ${CMAKE_CURRENT_BINARY_DIR}/pictures/${name}-${size}.png)
      add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/pictures
        COMMAND ${VLM_HOST_RENDER_ICON} ${svg} ${size} ${png}
        DEPENDS ${svg}
        VERBATIM)
      list(APPEND pngs ${png})
    endforeach()
  endforeach()
  qt_add_resources(${target} vlm_pictures PREFIX /pictures BASE ${CMAKE_CURRENT_BINARY_DIR}/pictures
                   FILES ${pngs})
endfunction()

# The program's icon as a Windows .ico, for the executable's resources and the installer.
function(vlm_render_app_ico out)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${VLM_HOST_RENDER_ICON} ${CMAKE_SOURCE_DIR}/resources/icons/app.svg ico ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/app.svg
    VERBATIM)
endfunction()
