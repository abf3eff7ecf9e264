# Shared precompiled Qt headers.
#
# Parsing Qt's headers is most of what a translation unit costs here (a test of 100 lines spends
# 2.3 of its 2.6 s in the front end), so Qt targets reuse a precompiled set made once by a small
# donor library (REUSE_FROM) instead of parsing the headers again. GCC takes a precompiled
# header only where the macros it looks at are defined as when it was made: product code has
# its strict string definitions (velmora_qt_common), so it gets sets of its own, and QtTest,
# which looks at QT_GUI_LIB, QT_WIDGETS_LIB and QT_NETWORK_LIB, stays out (one set per
# combination would cost more to make than it saves). Four donors: product or not, with the
# widget headers or without. CMake adds -Winvalid-pch, so a target given a set that GCC refuses
# says so in the warning-free build.
#
# What a precompiled header hides: a header that forgets one of its own Qt includes still
# compiles. Builds configured with -DVELMORA_PCH=OFF catch that; the fuzz build
# (scripts/fuzz) is one, for ovlib, models and device.
option(VELMORA_PCH "Share precompiled Qt headers between targets" ON)

# Tests include <QtTest>, which brings all of QtCore, so their set holds all of it. Product code
# includes a few headers per file, and loading a larger precompiled set costs more than those
# few cost to parse (0.8 s against 1.1 s for a file of the models), so its set is the common
# ones only.
set(VELMORA_PCH_CORE
  <QtCore/QtCore>
  <QtConcurrent/QtConcurrent>)
set(VELMORA_PCH_PRODUCT_CORE
  <QtCore/QByteArray>
  <QtCore/QDebug>
  <QtCore/QDir>
  <QtCore/QFile>
  <QtCore/QFileInfo>
  <QtCore/QFutureWatcher>
  <QtCore/QHash>
  <QtCore/QJsonArray>
  <QtCore/QJsonDocument>
  <QtCore/QJsonObject>
  <QtCore/QList>
  <QtCore/QMap>
  <QtCore/QMutex>
  <QtCore/QObject>
  <QtCore/QPointer>
  <QtCore/QString>
  <QtCore/QStringList>
  <QtCore/QThread>
  <QtCore/QTimer>
  <QtCore/QUrl>
  <QtCore/QVariant>
  <QtCore/QVector>
  <QtConcurrent/QtConcurrentRun>)
set(VELMORA_PCH_GUI
  <QtGui/QColor>
  <QtGui/QFont>
  <QtGui/QIcon>
  <QtGui/QPixmap>
  <QtGui/QResizeEvent>
  <QtGui/QScreen>)
set(VELMORA_PCH_WIDGETS
  <QtWidgets/QApplication>
  <QtWidgets/QCheckBox>
  <QtWidgets/QComboBox>
  <QtWidgets/QDialog>
  <QtWidgets/QHBoxLayout>
  <QtWidgets/QLabel>
  <QtWidgets/QLineEdit>
  <QtWidgets/QListWidget>
  <QtWidgets/QMenu>
  <QtWidgets/QPushButton>
  <QtWidgets/QRadioButton>
  <QtWidgets/QStackedWidget>
  <QtWidgets/QVBoxLayout>
  <QtWidgets/QWidget>)

# _velmora_pch_modules(OUT ITEMS...): the Qt modules (Core, Gui, ...) that ITEMS bring with
# their usage requirements, followed through our own libraries' public links. Private links of
# static libraries ($<LINK_ONLY:...>) bring no compile definitions and are skipped.
function(_velmora_pch_modules out)
  set(todo ${ARGN})
  set(seen "")
  set(modules "")
  while(todo)
    list(POP_FRONT todo item)
    if(item MATCHES "^\\$<" OR NOT TARGET "${item}" OR item IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${item}")
    if(item MATCHES "^Qt[56]?::(.+)$")
      list(APPEND modules "${CMAKE_MATCH_1}")
    endif()
    get_target_property(links "${item}" INTERFACE_LINK_LIBRARIES)
    if(links)
      list(APPEND todo ${links})
    endif()
  endwhile()
  set(${out} "${modules}" PARENT_SCOPE)
endfunction()

# _velmora_pch_flavour(OUT_NAME OUT_LIBS OUT_HEADERS PRODUCT MODULES...): the donor's name,
# its links and its headers for product code (PRODUCT true) or for tests and tools that bring
# these Qt modules. Widgets decide between the two header sets.
function(_velmora_pch_flavour out_name out_libs out_headers product)
  set(modules ${ARGN})
  # Versioned names: the donor reads their include folders, which Qt 5's version-neutral
  # targets do not carry themselves.
  set(qt Qt${VELMORA_QT_MAJOR})
  set(libs ${qt}::Gui ${qt}::Concurrent)
  if(product)
    set(name velmora_pch_product)
    set(headers ${VELMORA_PCH_PRODUCT_CORE} ${VELMORA_PCH_GUI})
  else()
    set(name velmora_pch_tool)
    set(headers ${VELMORA_PCH_CORE} ${VELMORA_PCH_GUI})
  endif()
  if(Widgets IN_LIST modules)
    string(APPEND name "_widgets")
    list(APPEND libs ${qt}::Widgets)
    list(APPEND headers ${VELMORA_PCH_WIDGETS})
  endif()
  set(${out_name} ${name} PARENT_SCOPE)
  set(${out_libs} "${libs}" PARENT_SCOPE)
  set(${out_headers} "${headers}" PARENT_SCOPE)
endfunction()

# _velmora_pch_strict(OUT TARGET): whether TARGET compiles with the product's strict string
# definitions, linked itself or passed on by a library it links (PUBLIC or INTERFACE; a static
# library's PRIVATE links reach its users as $<LINK_ONLY:...>, which passes on no definitions).
function(_velmora_pch_strict out target)
  set(seen)
  set(queue ${target})
  set(strict FALSE)
  while(queue AND NOT strict)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    if(current STREQUAL target)
      get_target_property(links ${current} LINK_LIBRARIES)
    else()
      get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
    endif()
    if(NOT links)
      continue()
    endif()
    list(FILTER links EXCLUDE REGEX "^\\$<LINK_ONLY:")
    if(velmora_qt_common IN_LIST links)
      set(strict TRUE)
    endif()
    list(APPEND queue ${links})
  endwhile()
  set(${out} ${strict} PARENT_SCOPE)
endfunction()

# _velmora_pch_collect(DIRECTORY): records for every Qt library and executable below DIRECTORY
# which donor fits it, and how many files it compiles.
function(_velmora_pch_collect dir)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    if(NOT links)
      continue()
    endif()
    _velmora_pch_modules(modules ${links})
    if(NOT Core IN_LIST modules)
      continue()
    endif()
    _velmora_pch_strict(product ${target})
    _velmora_pch_flavour(name libs headers ${product} ${modules})
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources files)
    get_property(count GLOBAL PROPERTY VELMORA_PCH_FILES_${name})
    if(NOT count)
      set(count 0)
    endif()
    math(EXPR count "${count} + ${files}")
    set_property(GLOBAL PROPERTY VELMORA_PCH_FILES_${name} ${count})
    set_property(GLOBAL PROPERTY VELMORA_PCH_LIBS_${name} "${libs}")
    set_property(GLOBAL PROPERTY VELMORA_PCH_HEADERS_${name} "${headers}")
    set_property(GLOBAL APPEND PROPERTY VELMORA_PCH_TARGETS_${name} ${target})
    set_property(GLOBAL APPEND PROPERTY VELMORA_PCH_DONORS ${name})
  endforeach()
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(subdir ${subdirs})
    _velmora_pch_collect("${subdir}")
  endforeach()
endfunction()

# velmora_apply_pch(DIRECTORY): gives every Qt library and executable below DIRECTORY its
# shared precompiled headers. Called once at the end, when every target has its links. A set
# that fewer than six files would use costs more to make than it saves; they go without.
function(velmora_apply_pch dir)
  if(NOT VELMORA_PCH)
    return()
  endif()
  _velmora_pch_collect("${dir}")
  get_property(donors GLOBAL PROPERTY VELMORA_PCH_DONORS)
  list(REMOVE_DUPLICATES donors)
  foreach(name ${donors})
    get_property(count GLOBAL PROPERTY VELMORA_PCH_FILES_${name})
    if(count LESS 6)
      continue()
    endif()
    get_property(libs GLOBAL PROPERTY VELMORA_PCH_LIBS_${name})
    get_property(headers GLOBAL PROPERTY VELMORA_PCH_HEADERS_${name})
    get_property(targets GLOBAL PROPERTY VELMORA_PCH_TARGETS_${name})
    add_library(${name} STATIC ${PROJECT_SOURCE_DIR}/cmake/pchdonor.cpp)
    # GCC also refuses a precompiled header made with a macro its user lacks: the donor takes
    # from the other modules their headers only, not their QT_<MODULE>_LIB definitions.
    target_link_libraries(${name} PRIVATE Qt::Core)
    if(name MATCHES "^velmora_pch_product")
      target_link_libraries(${name} PRIVATE velmora_qt_common)
    endif()
    foreach(lib ${libs})
      target_include_directories(${name} SYSTEM PRIVATE
        $<TARGET_PROPERTY:${lib},INTERFACE_INCLUDE_DIRECTORIES>)
    endforeach()
    target_precompile_headers(${name} PRIVATE ${headers})
    foreach(target ${targets})
      target_precompile_headers(${target} REUSE_FROM ${name})
      # A test's moc output is included by its own source, which leaves the generated file
      # empty: loading the headers for it would cost a second for nothing.
      get_target_property(type ${target} TYPE)
      get_target_property(automoc ${target} AUTOMOC)
      if(type STREQUAL "EXECUTABLE" AND automoc)
        get_target_property(bindir ${target} BINARY_DIR)
        set_source_files_properties(${bindir}/${target}_autogen/mocs_compilation.cpp
          TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
      endif()
    endforeach()
  endforeach()
endfunction()
