# Qt's and the standard library's headers are most of each file's compile time; the targets with
# many files compile them once instead. QUICKHALO_PCH=OFF builds without.
option(QUICKHALO_PCH "Precompile the common headers of the larger targets" ON)

set(QUICKHALO_PCH_CORE
  <QByteArray> <QDateTime> <QHash> <QJsonArray> <QJsonObject> <QList> <QMap> <QObject> <QString>
  <QStringList> <QUrl> <functional> <memory> <optional> <vector>)

# quickhalo_precompile(TARGET [GUI] [TEST]): GUI adds the widgets, TEST GoogleTest.
function(quickhalo_precompile target)
  if(NOT QUICKHALO_PCH)
    return()
  endif()
  cmake_parse_arguments(ARG "GUI;TEST" "" "" ${ARGN})
  set(headers ${QUICKHALO_PCH_CORE})
  if(ARG_GUI)
    list(APPEND headers <QPainter> <QWidget>)
  endif()
  if(ARG_TEST)
    list(APPEND headers <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
