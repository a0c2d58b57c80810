# Every file of a target parses the same Qt and GoogleTest headers again; parsing them once per
# target takes a large share off a clean build, which is what CI and a new clone pay for. A file
# still includes what it uses: the layering check reads the includes, not this list.
option(QUICKHALO_PCH "Precompile the common Qt and GoogleTest headers of each target" ON)
if(QUICKHALO_FUZZ)
  set(QUICKHALO_PCH OFF)
endif()

set(QUICKHALO_PCH_CORE
  <algorithm> <functional> <memory> <optional> <vector> <variant>
  <QtCore/QObject> <QtCore/QString> <QtCore/QStringList> <QtCore/QList> <QtCore/QHash>
  <QtCore/QVariant> <QtCore/QDateTime> <QtCore/QUuid> <QtCore/QTimer> <QtCore/QFile>
  <QtCore/QDir> <QtCore/QFileInfo> <QtCore/QJsonDocument> <QtCore/QJsonObject> <QtCore/QJsonArray>)
set(QUICKHALO_PCH_GUI
  <QtGui/QPainter> <QtGui/QColor> <QtGui/QImage> <QtGui/QPixmap> <QtGui/QFont> <QtGui/QKeyEvent>
  <QtGui/QMouseEvent> <QtWidgets/QWidget> <QtWidgets/QApplication> <QtWidgets/QLabel>
  <QtWidgets/QPushButton> <QtWidgets/QLineEdit> <QtWidgets/QBoxLayout>)
set(QUICKHALO_PCH_TEST <gtest/gtest.h> <gmock/gmock.h> <QtTest/QTest>)

# quickhalo_precompile(TARGET [GUI] [TEST]): QtCore always; the widget headers with GUI; GoogleTest
# and QtTest with TEST.
function(quickhalo_precompile target)
  if(NOT QUICKHALO_PCH)
    return()
  endif()
  cmake_parse_arguments(ARG "GUI;TEST" "" "" ${ARGN})
  set(headers ${QUICKHALO_PCH_CORE})
  if(ARG_GUI)
    list(APPEND headers ${QUICKHALO_PCH_GUI})
  endif()
  if(ARG_TEST)
    list(APPEND headers ${QUICKHALO_PCH_TEST})
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# A program of one or two files shares the headers another target already precompiled.
function(quickhalo_precompile_like target model)
  if(QUICKHALO_PCH)
    target_precompile_headers(${target} REUSE_FROM ${model})
  endif()
endfunction()
