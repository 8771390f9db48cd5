# quillatone_add_vst_module(<target> <sources...>)
# Builds a loadable VST 2.4 module: the sources plus the plug-in entry,
# linked to quillatone_plugin, hidden visibility and a version script so that
# VSTPluginMain is the only exported symbol. The sources (or libraries linked
# to the target afterwards) define createEffectInstance.
include_guard(GLOBAL)

set(QUILLATONE_VST_MODULE_DIR ${CMAKE_CURRENT_LIST_DIR}/../plugin CACHE INTERNAL "plug-in entry sources")

function(quillatone_add_vst_module target)
  set(plugin_dir ${QUILLATONE_VST_MODULE_DIR})
  add_library(${target} MODULE ${ARGN} ${plugin_dir}/PluginMain.cpp)
  target_link_libraries(${target} PRIVATE quillatone_plugin)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(WIN32)
    target_sources(${target} PRIVATE ${plugin_dir}/windows/exports.def)
  else()
    target_link_options(${target} PRIVATE
      "LINKER:--version-script=${plugin_dir}/exports.map"
      "LINKER:--exclude-libs,ALL")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${plugin_dir}/exports.map)
    if(NOT QUILLATONE_SANITIZE)
      # Every symbol must resolve at link time, createEffectInstance included.
      target_link_options(${target} PRIVATE "LINKER:-z,defs")
    endif()
  endif()
endfunction()
